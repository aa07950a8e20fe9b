#include "storage/texts.h"

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
    return x;
}

}  // namespace

const StorageTexts& Texts() {
    static const StorageTexts texts = MakeTexts();
    return texts;
}

}  // namespace storage
