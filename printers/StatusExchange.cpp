#include "printers/StatusExchange.h"

#include "printers/Languages.h"

const StatusExchange* StatusExchangeFor(int modelNumber) {
    const Language* language = LanguageOfModel(modelNumber);
    return language ? language->status : nullptr;
}
