#include "tools/tool_texts.h"

#include "interlock/cp1251.h"

namespace tools {
namespace {

ToolTexts MakeTexts() {
    ToolTexts x;
    x.checkAbout =
        "Проверка конфигурации оперативных блокировок (*.blk, *.tmp) без окна программы.\n"
        "Код возврата: 0 - ошибочных блоков нет, 1 - есть ошибочные блоки, 2 - ошибка вызова,\n"
        "файла или конфигурации.";
    x.optSet = "Значения ТС после чтения файла: N=V,... (N 1..256, V целое)";
    x.optUnreliable = "Недостоверность ТС: N=C,... (C: 0 - достоверен, 1 - ручная, 2 - аппаратная)";
    x.optBlock = "Проверить только блок N (1..32); код возврата - по этому блоку";
    x.optJson = "Вывести отчёт в формате JSON (UTF-8)";
    x.optAnalyse = "Анализ логики по всем состояниям ТС: наименьшие изменения, проблемы";
    x.optWhere = "С --analyse: где используется ТС N (1..256)";
    x.optStrict = "С --analyse: код 1 и при проблемах класса ошибок";
    x.optProve = "Доказать требования из файла рядом с конфигурацией (имя.req)";
    x.optRequirements = "Доказать требования из этого файла";
    x.optDiff = "Сравнить поведение логики с другой конфигурацией (она - A, CONFIG - B)";
    x.optSarif = "Записать проблемы, ошибки и опровергнутые требования в SARIF 2.1.0";
    x.optJunit = "Записать требования и блоки в JUnit XML";
    x.optTopology =
        "Доказать логику против правил топологии подстанции (файл рядом с конфигурацией: имя.top)";
    x.optConfig = "Файлы конфигурации или папки с файлами *.blk";
    x.reportAbout = "Печать таблицы блокировок: конфигурация в документ PDF формата A4";
    x.optReportConfig = "файл конфигурации (*.blk)";
    x.optOut = "выходной файл PDF (также канал или устройство, например /dev/stdout)";
    x.optReportRequirements = "файл требований (по умолчанию: имя конфигурации с расширением .req)";
    x.optReportNames =
        "наименования ТС: строки \"номер наименование\" или файл точек сервера (по умолчанию: имя "
        "конфигурации с расширением .names)";
    x.usage = "Вызов";
    x.options = "Параметры";
    x.positionals = "Аргументы";
    x.required = "ОБЯЗАТЕЛЕН";
    x.needs = "Требует";
    x.excludes = "Исключает";
    x.helpFlag = "Показать эту справку и выйти";
    x.helpHint = "Справка: %1 --help";
    x.argRequired = "Не задан обязательный параметр %1";
    x.argExtra = "Лишний аргумент: %1";
    x.argValue = "Недопустимое значение параметра %1";
    x.argMissingValue = "Не задано значение параметра %1";
    x.argExcludes = "Параметры %1 и %2 не задаются вместе";
    x.argNeeds = "Параметр %1 задаётся только вместе с %2";
    x.argOther = "Ошибка в параметрах вызова";
    x.badSet = "--set: ожидается N=V,... с N от 1 до 256 и целым V";
    x.badUnreliable = "--unreliable: ожидается N=C,... с N от 1 до 256 и C от 0 до 2";
    x.filesSummary = "Файлов: %1; код 0: %2, код 1: %3, код 2: %4";
    x.abnormalEnd = "проверка этого файла завершилась аварийно";
    x.noProcess = "не удалось запустить процесс для проверки этого файла";
    x.blocksSummary = "Блоков: нормальных %1, ошибочных %2, пустых %3";
    x.minChanges = "наименьшее число изменений %1:";
    x.minChangesUndetermined = "наименьшие изменения: ";
    x.cannotAllow = "разрешить нельзя никаким изменением ТС";
    x.pairAnd = " и ";
    x.decisive = "решающие недостоверные ТС: ";
    x.lineShort = "стр.";
    x.notUsed = "не используется";
    x.blockCase = "блок %1";
    x.blockMessage = "Блок %1";
    x.logicError = "ошибка в логике";
    x.requirementsHead = "Требований: ";
    x.fileErrors = "ошибок в файле %1";
    x.fileError = "ошибка";
    x.counterexample = "контрпример: ";
    x.stateHeld = "состояние: ";
    x.anyValues = "любые значения";
    x.requirementRefuted = "Требование \"%1\" опровергнуто: %2";
    x.same = "то же поведение";
    x.notCompared = "не сравнивается";
    x.differs = "различается";
    x.bothWays = "в обе стороны";
    x.bAllowsMore = "B разрешает то, что A запрещает";
    x.aAllowsMore = "A разрешает то, что B запрещает";
    x.forExample = "например при ";
    x.stateOf = "состояние: ";
    x.inB = "в B: ";
    x.nameChanged = "имя \"%1\" -> \"%2\";";
    x.stateChanged = "сигнал состояния %1 -> %2;";
    x.attributeChanged = "изменён признак";
    x.inverted = "\"инвертирован\"";
    x.twoPosition = "\"двухпозиционный\"";
    x.differingBlocks = "Блоков с другим поведением: %1";
    x.behaviourChanged = "поведение логики изменилось";
    return x;
}

using M = std::string ToolTexts::*;
constexpr std::pair<std::string_view, M> kMembers[] = {
    {"checkAbout", &ToolTexts::checkAbout},
    {"optSet", &ToolTexts::optSet},
    {"optUnreliable", &ToolTexts::optUnreliable},
    {"optBlock", &ToolTexts::optBlock},
    {"optJson", &ToolTexts::optJson},
    {"optAnalyse", &ToolTexts::optAnalyse},
    {"optWhere", &ToolTexts::optWhere},
    {"optStrict", &ToolTexts::optStrict},
    {"optProve", &ToolTexts::optProve},
    {"optRequirements", &ToolTexts::optRequirements},
    {"optDiff", &ToolTexts::optDiff},
    {"optSarif", &ToolTexts::optSarif},
    {"optJunit", &ToolTexts::optJunit},
    {"optTopology", &ToolTexts::optTopology},
    {"optConfig", &ToolTexts::optConfig},
    {"reportAbout", &ToolTexts::reportAbout},
    {"optReportConfig", &ToolTexts::optReportConfig},
    {"optOut", &ToolTexts::optOut},
    {"optReportRequirements", &ToolTexts::optReportRequirements},
    {"optReportNames", &ToolTexts::optReportNames},
    {"usage", &ToolTexts::usage},
    {"options", &ToolTexts::options},
    {"positionals", &ToolTexts::positionals},
    {"required", &ToolTexts::required},
    {"needs", &ToolTexts::needs},
    {"excludes", &ToolTexts::excludes},
    {"helpFlag", &ToolTexts::helpFlag},
    {"helpHint", &ToolTexts::helpHint},
    {"argRequired", &ToolTexts::argRequired},
    {"argExtra", &ToolTexts::argExtra},
    {"argValue", &ToolTexts::argValue},
    {"argMissingValue", &ToolTexts::argMissingValue},
    {"argExcludes", &ToolTexts::argExcludes},
    {"argNeeds", &ToolTexts::argNeeds},
    {"argOther", &ToolTexts::argOther},
    {"badSet", &ToolTexts::badSet},
    {"badUnreliable", &ToolTexts::badUnreliable},
    {"filesSummary", &ToolTexts::filesSummary},
    {"abnormalEnd", &ToolTexts::abnormalEnd},
    {"noProcess", &ToolTexts::noProcess},
    {"blocksSummary", &ToolTexts::blocksSummary},
    {"minChanges", &ToolTexts::minChanges},
    {"minChangesUndetermined", &ToolTexts::minChangesUndetermined},
    {"cannotAllow", &ToolTexts::cannotAllow},
    {"pairAnd", &ToolTexts::pairAnd},
    {"decisive", &ToolTexts::decisive},
    {"lineShort", &ToolTexts::lineShort},
    {"notUsed", &ToolTexts::notUsed},
    {"blockCase", &ToolTexts::blockCase},
    {"blockMessage", &ToolTexts::blockMessage},
    {"logicError", &ToolTexts::logicError},
    {"requirementsHead", &ToolTexts::requirementsHead},
    {"fileErrors", &ToolTexts::fileErrors},
    {"fileError", &ToolTexts::fileError},
    {"counterexample", &ToolTexts::counterexample},
    {"stateHeld", &ToolTexts::stateHeld},
    {"anyValues", &ToolTexts::anyValues},
    {"requirementRefuted", &ToolTexts::requirementRefuted},
    {"same", &ToolTexts::same},
    {"notCompared", &ToolTexts::notCompared},
    {"differs", &ToolTexts::differs},
    {"bothWays", &ToolTexts::bothWays},
    {"bAllowsMore", &ToolTexts::bAllowsMore},
    {"aAllowsMore", &ToolTexts::aAllowsMore},
    {"forExample", &ToolTexts::forExample},
    {"stateOf", &ToolTexts::stateOf},
    {"inB", &ToolTexts::inB},
    {"nameChanged", &ToolTexts::nameChanged},
    {"stateChanged", &ToolTexts::stateChanged},
    {"attributeChanged", &ToolTexts::attributeChanged},
    {"inverted", &ToolTexts::inverted},
    {"twoPosition", &ToolTexts::twoPosition},
    {"differingBlocks", &ToolTexts::differingBlocks},
    {"behaviourChanged", &ToolTexts::behaviourChanged},
};

}  // namespace

const ToolTexts& Texts() {
    static const ToolTexts texts = MakeTexts();
    return texts;
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string> args) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const size_t n = static_cast<size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

interlock::TextList ToolTextList() {
    static const ToolTexts inCodePage = [] {
        ToolTexts x = Texts();
        for (const auto& [name, member] : kMembers) x.*member = cp1251::FromUtf8(x.*member);
        return x;
    }();
    return interlock::ListTexts(inCodePage, kMembers);
}

}  // namespace tools
