#include "languages/escpos/SimAnswers.h"

#include "tools/sim/LanguageAnswers.h"

const tagStatusAnswers kPeriPageSimAnswers{PreviewLanguage::PeriPage, DleEotQueries, DleEotReply};
