#include "printers/IdentifyCommands.h"

#include "printers/Languages.h"

std::vector<uint8_t> IdentifyBytes(int modelNumber, const IdentifySettings& settings) {
    const Language* language = LanguageOfModel(modelNumber);
    return language && language->identify ? language->identify(settings) : std::vector<uint8_t>{};
}
