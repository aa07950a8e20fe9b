#include "acquisition/texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace acquisition {
namespace {

AcquisitionTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    AcquisitionTexts x;
    x.connectCaption = t("Соединение с сервером");
    x.connectPrompt = t("Укажите имя сервера для соединения:\n\r\n\rАлиас\\шлюз");
    x.connectFailed = t("Не удалось создать связь с сервером ");
    x.connectCheck = t("\n\rПроверьте соединение.");
    x.connectNamesTooLong =
        t("Имя сервера или имя программы слишком длинное либо содержит нулевой символ.\n\r"
          "Связь с сервером не создана.");
    x.pollNoLink = t("Соединение с сервером отстутствует.\n\rЗагрузка данных ТС отменена.");
    x.pollBadChannel = t("Некорректный номер канала данных.\n\rЗагрузка данных ТС была остановлена.");
    x.pollBadRtu = t("Некорректный номер КП.\n\rЗагрузка данных ТС была остановлена.");
    x.pollTooManyErrors =
        t("Большое число ошибочных данных ТС.\n\rПроверьте состояние сервера.\n\r"
          "Загрузка данных ТС была отменена.");
    x.namesNoLink = t("Соединение с сервером отстутствует.\n\rЗагрузка наименований отменена.");
    x.namesBadChannel = t("Некорректный номер канала данных.\n\rЗагрузка наименований была отменена.");
    x.namesBadRtu = t("Некорректный номер КП.\n\rЗагрузка наименований была отменена.");
    x.namesLost =
        t("Во время получения наименований связь с сервером была потеряна.\n\rЗагрузка остановлена.");
    x.rtuReadError = t("Ошибка при чтении данных ТС с КП.\n\rПроверьте соединение.");
    return x;
}

using Member = std::string AcquisitionTexts::*;
constexpr std::pair<std::string_view, Member> kMembers[] = {
    {"connectCaption", &AcquisitionTexts::connectCaption},
    {"connectPrompt", &AcquisitionTexts::connectPrompt},
    {"connectFailed", &AcquisitionTexts::connectFailed},
    {"connectCheck", &AcquisitionTexts::connectCheck},
    {"connectNamesTooLong", &AcquisitionTexts::connectNamesTooLong},
    {"pollNoLink", &AcquisitionTexts::pollNoLink},
    {"pollBadChannel", &AcquisitionTexts::pollBadChannel},
    {"pollBadRtu", &AcquisitionTexts::pollBadRtu},
    {"pollTooManyErrors", &AcquisitionTexts::pollTooManyErrors},
    {"namesNoLink", &AcquisitionTexts::namesNoLink},
    {"namesBadChannel", &AcquisitionTexts::namesBadChannel},
    {"namesBadRtu", &AcquisitionTexts::namesBadRtu},
    {"namesLost", &AcquisitionTexts::namesLost},
    {"rtuReadError", &AcquisitionTexts::rtuReadError},
};

}  // namespace

const AcquisitionTexts& Texts() {
    static const AcquisitionTexts texts = MakeTexts();
    return texts;
}

interlock::TextList AcquisitionTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace acquisition
