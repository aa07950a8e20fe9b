#include "storage/texts.h"

#include <utility>

#include "interlock/cp1251.h"

namespace storage {
namespace {

// "\n\r" in these texts is the system's own line break: LF then CR.
StorageTexts MakeTexts() {
    auto t = [](const char* utf8) { return cp1251::FromUtf8(utf8); };
    StorageTexts x;
    x.badBlockNumber =
        t("Некорректный файл конфигурации (задан недопустимый номер блокировки).\n\rЗагрузка остановлена.");
    x.openFileError = t("Ошибка при открытии файла");
    x.erroneousBlocksHead = t("Внимание! Конфигурация содержит ошибки в следующих блоках: \n\r\n\r");
    x.erroneousBlocksTail =
        t("\n\r\n\rИспользование данной конфигурации в блоке ТУ может привести к его некорректной работе.");
    x.mainCaption = t("Оперативные блокировки Орвеск");
    x.templateBadBlockNumber = t("Некорректный номер блока для вставки. Прерываю работу.");
    x.templateSideErrorPrefix = t("Внимание! Ошибка в шаблоне в логике ");
    x.templateSideOn = t("включения");
    x.templateSideOff = t("отключения");
    x.templateSideErrorSuffix =
        t("\n\rМодификация текста отменена, в логику блока будет загружен текст шаблона.");
    x.templateDefaultName = t("Шаблон ");
    x.cannotRead = t("Не удалось прочитать файл");
    x.cannotWrite = t("Не удалось записать файл");
    x.errNoEntry = t("Файл или каталог не существует");
    x.errAccess = t("Отказано в доступе");
    x.errPermission = t("Операция не позволена");
    x.errIsFolder = t("Это каталог");
    x.errNotFolder = t("Это не каталог");
    x.errNoSpace = t("На устройстве не осталось места");
    x.errReadOnly = t("Файловая система доступна только для чтения");
    x.errExists = t("Файл уже существует");
    x.errLongName = t("Слишком длинное имя файла");
    x.errLinkLoop = t("Слишком много уровней символьных ссылок");
    x.errIo = t("Ошибка ввода-вывода");
    x.errTooBig = t("Файл слишком велик");
    x.errQuota = t("Превышена дисковая квота");
    x.errTooManyOpen = t("Слишком много открытых файлов");
    x.errNoDevice = t("Нет такого устройства или адреса");
    x.errPipe = t("Обрыв канала");
    x.errBusy = t("Устройство или ресурс занято");
    x.errInvalid = t("Недопустимый аргумент");
    x.namesBadLine = t("ожидается номер ТС от 1 до 256 и наименование; строка пропущена");
    x.namesBadPointLine =
        t("строка файла точек сервера: ожидаются канал, КП, номер ТС, значение, состояние; строка пропущена");
    return x;
}

using Member = std::string StorageTexts::*;
constexpr std::pair<std::string_view, Member> kMembers[] = {
    {"badBlockNumber", &StorageTexts::badBlockNumber},
    {"openFileError", &StorageTexts::openFileError},
    {"erroneousBlocksHead", &StorageTexts::erroneousBlocksHead},
    {"erroneousBlocksTail", &StorageTexts::erroneousBlocksTail},
    {"mainCaption", &StorageTexts::mainCaption},
    {"templateBadBlockNumber", &StorageTexts::templateBadBlockNumber},
    {"templateSideErrorPrefix", &StorageTexts::templateSideErrorPrefix},
    {"templateSideOn", &StorageTexts::templateSideOn},
    {"templateSideOff", &StorageTexts::templateSideOff},
    {"templateSideErrorSuffix", &StorageTexts::templateSideErrorSuffix},
    {"templateDefaultName", &StorageTexts::templateDefaultName},
    {"cannotRead", &StorageTexts::cannotRead},
    {"cannotWrite", &StorageTexts::cannotWrite},
    {"errNoEntry", &StorageTexts::errNoEntry},
    {"errAccess", &StorageTexts::errAccess},
    {"errPermission", &StorageTexts::errPermission},
    {"errIsFolder", &StorageTexts::errIsFolder},
    {"errNotFolder", &StorageTexts::errNotFolder},
    {"errNoSpace", &StorageTexts::errNoSpace},
    {"errReadOnly", &StorageTexts::errReadOnly},
    {"errExists", &StorageTexts::errExists},
    {"errLongName", &StorageTexts::errLongName},
    {"errLinkLoop", &StorageTexts::errLinkLoop},
    {"errIo", &StorageTexts::errIo},
    {"errTooBig", &StorageTexts::errTooBig},
    {"errQuota", &StorageTexts::errQuota},
    {"errTooManyOpen", &StorageTexts::errTooManyOpen},
    {"errNoDevice", &StorageTexts::errNoDevice},
    {"errPipe", &StorageTexts::errPipe},
    {"errBusy", &StorageTexts::errBusy},
    {"errInvalid", &StorageTexts::errInvalid},
    {"namesBadLine", &StorageTexts::namesBadLine},
    {"namesBadPointLine", &StorageTexts::namesBadPointLine},
};

}  // namespace

const StorageTexts& Texts() {
    static const StorageTexts texts = MakeTexts();
    return texts;
}

interlock::TextList StorageTextList() { return interlock::ListTexts(Texts(), kMembers); }

}  // namespace storage
