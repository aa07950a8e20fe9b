#include "cli/help_texts.h"

namespace cli {
namespace {

const OptionHelp kHelpOption{"-h, --help", "", {"Показать эту справку и выйти", "Print this help and exit"}};
const OptionHelp kVersionOption{"--version", "", {"Показать версию и выйти", "Print the version and exit"}};

const Text kCheckConfigs{
    "Файлы конфигурации (*.blk, *.tmp) или папки: в папке проверяются все её файлы *.blk",
    "Configuration files (*.blk, *.tmp) or folders: a folder stands for all its *.blk files"};

ProgramHelp MakeInterlocks() {
    return {
        "interlocks",
        {"оперативные блокировки телемеханического КП: редактор и проверка логики",
         "operational interlocking logic of a telecontrol unit: editor and live check"},
        {"[ПАРАМЕТРЫ] [FILE]", "[OPTIONS] [FILE]"},
        {"Окно для написания и проверки логики оперативных блокировок 32 выходных реле КП: у каждого "
         "реле имя аппарата, ТС состояния и логики включения и отключения. Программа проверяет логику, "
         "вычисляет её по 256 значениям ТС (введённым вручную, принятым с КП по UDP или с сервера ТМ) и "
         "показывает, разрешена ли следующая операция и почему.\n\n"
         "FILE, если он указан, загружается при запуске, как по кнопке \"Загрузить из файла\". Параметры "
         "Qt (например, -platform) тоже принимаются.",
         "A window for writing and trying out the operational interlocking logic of the 32 output relays "
         "of a telecontrol unit: each relay has an apparatus name, a state telesignal (TS) and an ON and "
         "an OFF logic. The program checks the logic, evaluates it against the 256 TS values (typed in, "
         "received from the RTU over UDP or from a telemechanics server) and shows whether the next "
         "operation is allowed, and why.\n\n"
         "FILE, when given, is loaded at start as \"Загрузить из файла\" would. Qt's options (such as "
         "-platform) are accepted too."},
        {{"FILE",
          "",
          {"Конфигурация (*.blk или *.tmp), загружаемая при запуске",
           "A configuration (*.blk or *.tmp) to load at start"},
          Completion::File},
         kHelpOption,
         kVersionOption},
        {"0 - программа завершена пользователем.", "0 when the user has closed the program."},
        {"settings.ini, templates.txt и папка Temp лежат рядом с программой, если её папка доступна для "
         "записи; у установленной программы - в $XDG_CONFIG_HOME/interlocks/ (settings.ini, "
         "templates.txt; по умолчанию ~/.config/interlocks/) и $XDG_STATE_HOME/interlocks/Temp/ (по "
         "умолчанию ~/.local/state/interlocks/Temp/), при первом запуске скопированные из "
         "/usr/share/interlocks/.",
         "settings.ini, templates.txt and the folder Temp lie beside the program when its folder is "
         "writable; for an installed program in $XDG_CONFIG_HOME/interlocks/ (settings.ini, "
         "templates.txt; ~/.config/interlocks/ by default) and $XDG_STATE_HOME/interlocks/Temp/ "
         "(~/.local/state/interlocks/Temp/ by default), copied from /usr/share/interlocks/ on first start."},
        {"interlocks-check", "interlocks-report", "rtu-sim"},
    };
}

ProgramHelp MakeCheck() {
    return {
        "interlocks-check",
        {"проверка конфигурации оперативных блокировок без окна",
         "check interlock configurations without the window"},
        {"[ПАРАМЕТРЫ] CONFIG...", "[OPTIONS] CONFIG..."},
        {"Читает конфигурацию, применяет заданные значения и недостоверность ТС, показывает каждый блок, "
         "как его выбрал бы оператор, и печатает вердикты строками или в JSON. Может анализировать логику "
         "по всем состояниям ТС, доказывать требования, сравнивать две конфигурации, писать отчёты SARIF и "
         "JUnit и проверять много файлов сразу, в параллельных процессах.",
         "Reads a configuration, applies the TS values and unreliability given, shows every block as the "
         "operator would select it and prints the verdicts as lines or as JSON. It can also analyse the "
         "logic over all TS states, prove requirements, compare two configurations, write SARIF and JUnit "
         "reports and check many files at once, in parallel processes."},
        {{"--set",
          "N=V,...",
          {"Значения ТС после чтения файла (N 1..256, V целое)",
           "TS values after reading the file (N 1..256, V an integer)"}},
         {"--unreliable",
          "N=C,...",
          {"Недостоверность ТС (C: 0 - достоверен, 1 - ручная, 2 - аппаратная)",
           "TS unreliability (C: 0 reliable, 1 manual, 2 hardware)"}},
         {"--block",
          "N",
          {"Проверить только блок N (1..32); код возврата - по этому блоку",
           "Check only block N (1..32); the exit status is that block's"}},
         {"--json", "", {"Вывести отчёт в формате JSON (UTF-8)", "Print the report as JSON (UTF-8)"}},
         {"--analyse",
          "",
          {"Анализ логики по всем состояниям ТС: наименьшие изменения, проблемы",
           "Analyse the logic over all TS states: smallest changes, problems"}},
         {"--where",
          "N",
          {"С --analyse: где используется ТС N (1..256)", "With --analyse: where TS N (1..256) is read"}},
         {"--strict",
          "",
          {"С --analyse: код 1 и при проблемах класса ошибок",
           "With --analyse: status 1 for problems of the error class too"}},
         {"--prove",
          "",
          {"Доказать требования из файла рядом с конфигурацией (имя.req)",
           "Prove the requirements in the file beside the configuration (NAME.req)"}},
         {"--requirements",
          "FILE",
          {"Доказать требования из этого файла", "Prove the requirements in this file"},
          Completion::File},
         {"--diff",
          "FILE",
          {"Сравнить поведение логики с другой конфигурацией (она - A, CONFIG - B)",
           "Compare the logic's behaviour with another configuration (it is A, CONFIG is B)"},
          Completion::File},
         {"--sarif",
          "FILE",
          {"Записать проблемы и опровергнутые требования в SARIF 2.1.0",
           "Write the problems and refuted requirements as SARIF 2.1.0"},
          Completion::File},
         {"--junit",
          "FILE",
          {"Записать требования и проблемы блоков в JUnit XML",
           "Write the requirements and block problems as JUnit XML"},
          Completion::File},
         {"--topology",
          "[FILE]",
          {"Доказать логику против правил топологии подстанции (файл рядом с конфигурацией: имя.top); "
           "с --reach, --plan, --program, --hazards - топология переключений",
           "Prove the logic against the rules of the substation's topology (the file beside the "
           "configuration: NAME.top); with --reach, --plan, --program, --hazards the topology of the "
           "switching checks"},
          Completion::File},
         {"--reach",
          "CONDITION",
          {"Достижимые состояния аппаратов и кратчайший путь к условию (как в файле требований)",
           "The reachable apparatus states and a shortest way to the condition (as in the requirements "
           "file)"}},
         {"--plan",
          "CONDITION",
          {"Кратчайшая программа переключений к условию", "A shortest switching program to the condition"}},
         {"--program",
          "FILE",
          {"Проверить программу переключений из файла по шагам",
           "Check a switching program file step by step"},
          Completion::File},
         {"--from",
          "CONDITION",
          {"С --reach: от всех состояний, где выполняется условие",
           "With --reach: from every state where the condition holds"}},
         {"--hazards",
          "",
          {"Достижимы ли опасные состояния по топологии (заземление на напряжение, напряжение на "
           "заземлённый узел, разъединитель под нагрузкой)",
           "Whether the hazards of the topology are reachable (earthing onto a live node, a live node "
           "joined to an earthed one, a disconnector under load)"}},
         {"--no-topology",
          "",
          {"Переключения без топологии, даже если рядом с конфигурацией есть файл имя.top",
           "The switching checks without the topology, even with a NAME.top beside the configuration"}},
         {"--free-ts",
          "",
          {"Прочие ТС свободны: между операциями принимают любые значения",
           "The other TS are free: they take any values between operations"}},
         {"--hold-ts",
          "N=V,...",
          {"Прочие ТС удерживаются; эти - при заданных значениях",
           "The other TS are held; these at the values given"}},
         {"CONFIG", "", kCheckConfigs, Completion::ConfigOrFolder},
         kHelpOption,
         kVersionOption},
        {"0 - ошибочных блоков нет (требования доказаны, логика не различается); 1 - есть ошибочные блоки "
         "(с --strict и проблемы класса ошибок; требование не доказано; логика различается); 2 - ошибка "
         "вызова, нечитаемый файл или неверный номер блока в конфигурации. Для нескольких файлов - "
         "наибольший из кодов.",
         "0 when no block is erroneous (every requirement proven, no logic differs); 1 when some block is "
         "(with --strict also a problem of the error class; a requirement not proven; a logic that "
         "differs); 2 for a usage error, an unreadable file or an invalid block number in the "
         "configuration. For several files, the highest status of any."},
        {},
        {"interlocks", "interlocks-report"},
    };
}

ProgramHelp MakeReport() {
    return {
        "interlocks-report",
        {"таблица блокировок конфигурации в документ PDF", "the interlock table of a configuration as a PDF"},
        {"CONFIG -o FILE.pdf [ПАРАМЕТРЫ]", "CONFIG -o FILE.pdf [OPTIONS]"},
        {"Пишет таблицу блокировок конфигурации в документ PDF формата A4 на русском языке: титульный "
         "лист с итогами анализа и требований, содержание и по листу на каждый непустой блок с "
         "условиями, схемой и текстом логики. Работает без дисплея.",
         "Writes the interlock table of a configuration as an A4 PDF in Russian: a title page with the "
         "analysis findings and requirement results, a contents page and a sheet per non-empty block "
         "with its conditions, diagram and logic text. Needs no display."},
        {{"CONFIG", "", {"Файл конфигурации (*.blk)", "The configuration file (*.blk)"}, Completion::File},
         {"-o, --out", "FILE", {"Выходной файл PDF", "The PDF file to write"}, Completion::File},
         {"--requirements",
          "FILE",
          {"Файл требований (по умолчанию: имя конфигурации с расширением .req)",
           "The requirements file (by default the configuration's name with .req)"},
          Completion::File},
         {"--names",
          "FILE",
          {"Наименования ТС: строки \"номер наименование\" или файл точек сервера (строки \"ts\" канала и КП "
           "конфигурации); по умолчанию - имя конфигурации с расширением .names, если он есть",
           "TS names: lines \"number name\" or the server's points file (its \"ts\" lines of the "
           "configuration's channel and RTU); by default the configuration's name with .names, when there"},
          Completion::File},
         {"--program",
          "FILE",
          {"Проверить программу переключений из файла и напечатать её бланком в конце таблицы",
           "Check a switching program file and print it as a form at the end of the table"},
          Completion::File},
         kHelpOption,
         kVersionOption},
        {"0 - документ записан; 2 - ошибка вызова, нечитаемая конфигурация или документ не записан.",
         "0 when the PDF was written; 2 for a usage error, an unreadable configuration or a PDF that "
         "could not be written."},
        {},
        {"interlocks", "interlocks-check"},
    };
}

ProgramHelp MakeRtuSim() {
    return {
        "rtu-sim",
        {"имитатор КП: отвечает на запросы ТС по UDP", "RTU simulator: answers the TS requests over UDP"},
        {"[ПАРАМЕТРЫ]", "[OPTIONS]"},
        {"Отвечает на запросы ТС R0..R7 программы interlocks вместо КП: каждому отправителю - \"r\", "
         "цифра группы, пробел и 32 значения группы. Значения берутся из файла в виде строк значений "
         "конфигурации (#TS0= .. #TS7=) и перечитываются при его изменении. Порт 956 ниже 1024: нужны "
         "права root или CAP_NET_BIND_SERVICE.",
         "Answers the TS requests R0..R7 of interlocks in place of the RTU: to each sender \"r\", the "
         "group digit, a space and the group's 32 values. The values come from a file of the "
         "configuration's value lines (#TS0= .. #TS7=), read again whenever it changes. Port 956 is "
         "below 1024: it needs root or CAP_NET_BIND_SERVICE."},
        {{"--bind",
          "ADDRESS",
          {"Локальный адрес IPv4 (по умолчанию 127.0.0.1)",
           "Local IPv4 address to listen on (127.0.0.1 by default)"}},
         {"--port",
          "PORT",
          {"Порт UDP (по умолчанию 956; 0 - любой свободный, печатается при запуске)",
           "UDP port to listen on (956 by default; 0: any free port, printed at start)"}},
         {"--values",
          "FILE",
          {"Файл значений со строками #TS0=<32 цифры 0/1> .. #TS7=...; перечитывается при изменении",
           "Value file with lines #TS0=<32 digits 0/1> .. #TS7=...; re-read when it changes"},
          Completion::File},
         {"--toggle",
          "N,...",
          {"Номера ТС (1..256), меняемые каждый период, например 65,66",
           "TS numbers (1..256) to flip every period, e.g. 65,66"}},
         {"--period",
          "MS",
          {"Период переключения в миллисекундах (по умолчанию 1000)",
           "Toggle period in milliseconds (1000 by default)"}},
         {"-v, --verbose",
          "",
          {"Печатать каждый запрос и ответ в stderr", "Print every request and answer on stderr"}},
         kHelpOption,
         kVersionOption},
        {"0 - остановлен сигналом; 1 - не удалось открыть сокет; 2 - ошибка вызова.",
         "0 when stopped by a signal; 1 when the socket cannot be opened; 2 for a usage error."},
        {},
        {"interlocks"},
    };
}

}  // namespace

const HelpHeadings& Headings(Language l) {
    static const HelpHeadings ru{"Использование:", "Параметры:",
                                 "Аргументы:",     "Код возврата:",
                                 "Файлы:",         "ИМЯ",
                                 "ОБЗОР",          "ОПИСАНИЕ",
                                 "СМОТРИТЕ ТАКЖЕ", "АРГУМЕНТЫ",
                                 "ПАРАМЕТРЫ",      "КОД ВОЗВРАТА",
                                 "ФАЙЛЫ",          "Команды пользователя"};
    static const HelpHeadings en{
        "Usage:",      "Options:", "Arguments:", "Exit status:", "Files:",      "NAME",  "SYNOPSIS",
        "DESCRIPTION", "SEE ALSO", "ARGUMENTS",  "OPTIONS",      "EXIT STATUS", "FILES", "User Commands"};
    return l == Language::Russian ? ru : en;
}

const ProgramHelp& Interlocks() {
    static const ProgramHelp help = MakeInterlocks();
    return help;
}
const ProgramHelp& InterlocksCheck() {
    static const ProgramHelp help = MakeCheck();
    return help;
}
const ProgramHelp& InterlocksReport() {
    static const ProgramHelp help = MakeReport();
    return help;
}
const ProgramHelp& RtuSim() {
    static const ProgramHelp help = MakeRtuSim();
    return help;
}

const std::vector<ProgramHelp>& AllPrograms() {
    static const std::vector<ProgramHelp> all = {Interlocks(), InterlocksCheck(), InterlocksReport(),
                                                 RtuSim()};
    return all;
}

const ProgramHelp* FindProgram(const std::string& name) {
    for (const ProgramHelp& p : AllPrograms())
        if (name == p.name) return &p;
    return nullptr;
}

}  // namespace cli
