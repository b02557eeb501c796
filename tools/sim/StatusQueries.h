#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/preview/StreamDecoder.h"

// A status query a printer of the language takes from the bytes it receives.
struct tagQuery {
    std::vector<uint8_t> bytes;
    std::string name;             // as logged: "DLE EOT 4", "ESC ! ?", "~HS"
    bool decoderTakesIt = false;  // the preview decoder reads it as a command of its own
};

struct tagStatusAnswers;

// Where a query's bytes lie in the stream.
enum class QueryPlace {
    InsideCommand,  // data of a command: no query
    AtCommand,      // where a command may start
    AfterJunk,      // after bytes that are no command at all, which a
                    // printer skips (another language's status query, say)
};

// Finds the status queries of one language in a job's bytes, only where a
// command may start.
class CQueryRecogniser {
public:
    explicit CQueryRecogniser(PreviewLanguage language);

    // Could a query start with this byte? A quick test before Match.
    bool MayStart(uint8_t byte) const { return m_first[byte]; }
    // The query that data starts with, or null; `partial` is set when data
    // ends inside what may still become one.
    const tagQuery* Match(const uint8_t* data, size_t size, bool& partial) const;
    // Does the query, following the bytes `before`, start a command of its
    // own rather than lie in an earlier command's data? `before` is used as
    // scratch space and left as it was.
    QueryPlace Place(std::vector<uint8_t>& before, const tagQuery& query) const;

private:
    tagDecodeError FailureWhateverFollows(std::vector<uint8_t>& before,
                                          const std::vector<uint8_t>& then, uint8_t pad) const;

    PreviewLanguage m_language;
    const tagStatusAnswers* m_answers;  // null: the language has no queries
    std::vector<tagQuery> m_queries;
    bool m_first[256] = {};
};
