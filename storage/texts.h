#pragma once

// The fixed texts of the configuration storage, in Windows-1251. They are written in UTF-8 in
// texts.cpp and converted once, on first use.

#include <string>

namespace storage {

struct StorageTexts {
    // Reading a configuration text.
    std::string badBlockNumber;  // Некорректный файл конфигурации (...).\n\rЗагрузка остановлена.
    std::string openFileError;   // Ошибка при открытии файла
};

const StorageTexts& Texts();

}  // namespace storage
