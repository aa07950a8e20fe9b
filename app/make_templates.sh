#!/usr/bin/env bash
# Writes app/templates.txt, the template library shipped beside the program, from the text
# below: Windows-1251 with CR LF line ends, as the program reads it. Edit the text here and
# run the script again; the build copies the result beside the executable.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/templates.txt
cat <<'LIBRARY' | iconv -f UTF-8 -t WINDOWS-1251 | sed 's/$/\r/' > "$out"
@
## Линейный выключатель
#TS - S1 - Положение выключателя Q
#TS - S2 - Шинный разъединитель QS1
#TS - S3 - Линейный разъединитель QS2
#TS - S4 - ЗН QSG1 (между QS1 и Q)
#TS - S5 - ЗН QSG2 (между Q и QS2)
#TS - S6 - ЗН QSG3 (со стороны линии)
#State - S1
#Off->On
M1=AND(S2,S3)
M2=~OR(S2,S3)
M3=OR(M1,M2)
M4=~AND(S3,S6)
V=AND(M3,M4,~S4,~S5)
#On->Off
V=AND(S1)

## Шинный разъединитель
#TS - S1 - Положение разъединителя QS1
#TS - S2 - Выключатель присоединения Q
#TS - S3 - ЗН QSG1 (между QS1 и Q)
#TS - S4 - ЗН сборной шины
#State - S1
#Off->On
V=AND(~S2,~S3,~S4)
#On->Off
V=AND(~S2)

## Линейный разъединитель
#TS - S1 - Положение разъединителя QS2
#TS - S2 - Выключатель присоединения Q
#TS - S3 - ЗН QSG2 (между Q и QS2)
#TS - S4 - ЗН QSG3 (со стороны линии)
#State - S1
#Off->On
V=AND(~S2,~S3,~S4)
#On->Off
V=AND(~S2)

## Заземляющий нож линии
#TS - S1 - Положение ЗН QSG3
#TS - S2 - Линейный разъединитель QS2
#TS - S3 - Напряжение на линии
#State - S1
#Off->On
V=AND(~S2,~S3)
#On->Off
V=AND(~S2)

## Заземляющий нож у выключателя
#TS - S1 - Положение ЗН
#TS - S2 - Шинный разъединитель QS1
#TS - S3 - Линейный разъединитель QS2
#State - S1
#Off->On
V=AND(~S2,~S3)
#On->Off
V=AND(~S2,~S3)

## Шиносоединительный выключатель
#TS - S1 - Положение ШСВ QB
#TS - S2 - Разъединитель ШСВ к I с.ш.
#TS - S3 - Разъединитель ШСВ к II с.ш.
#TS - S4 - ЗН ШСВ в сторону I с.ш.
#TS - S5 - ЗН ШСВ в сторону II с.ш.
#TS - S6 - Присоед. 1: ШР к I с.ш.
#TS - S7 - Присоед. 1: ШР к II с.ш.
#TS - S8 - Присоед. 2: ШР к I с.ш.
#TS - S9 - Присоед. 2: ШР к II с.ш.
#State - S1
#Off->On
M1=AND(S2,S3)
M2=~OR(S2,S3)
M3=OR(M1,M2)
V=AND(M3,~S4,~S5)
#On->Off
M1=~AND(S6,S7)
M2=~AND(S8,S9)
V=AND(S1,M1,M2)

## Заземляющий нож сборной шины
#TS - S1 - Положение ЗН сборной шины
#TS - S2 - ШР присоединения 1
#TS - S3 - ШР присоединения 2
#TS - S4 - ШР присоединения 3
#TS - S5 - ШР присоединения 4
#TS - S6 - Разъединитель ШСВ к этой с.ш.
#TS - S7 - Разъединитель ТН этой с.ш.
#State - S1
#Off->On
V=~OR(S2,S3,S4,S5,S6,S7)
#On->Off
V=AND(S1)
@
LIBRARY
