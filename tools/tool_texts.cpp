#include "tools/tool_texts.h"

#include "interlock/cp1251.h"

namespace tools {
namespace {

ToolTexts MakeTexts() {
    ToolTexts x;
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
    x.requirementsHead = "Требований: ";
    x.fileErrors = "ошибок в файле %1";
    x.anyValues = "любые значения";
    x.requirementRefuted = "Требование \"%1\" опровергнуто: %2";
    x.same = "то же поведение";
    x.notCompared = "не сравнивается";
    x.bothWays = "в обе стороны";
    x.bAllowsMore = "B разрешает то, что A запрещает";
    x.aAllowsMore = "A разрешает то, что B запрещает";
    x.forExample = "например при ";
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
    {"requirementsHead", &ToolTexts::requirementsHead},
    {"fileErrors", &ToolTexts::fileErrors},
    {"anyValues", &ToolTexts::anyValues},
    {"requirementRefuted", &ToolTexts::requirementRefuted},
    {"same", &ToolTexts::same},
    {"notCompared", &ToolTexts::notCompared},
    {"bothWays", &ToolTexts::bothWays},
    {"bAllowsMore", &ToolTexts::bAllowsMore},
    {"aAllowsMore", &ToolTexts::aAllowsMore},
    {"forExample", &ToolTexts::forExample},
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
