#include "languages/escpos/Status.h"

#include "languages/peripage/Row.h"

// PeriPage printers answer ESC/POS's real-time status.
const StatusExchange kPeriPageStatus{"PeriPage", kDleEotQuery, DleEotComplete, ParseDleEot};
