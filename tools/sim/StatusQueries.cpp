#include "tools/sim/StatusQueries.h"

#include <algorithm>

#include "tools/sim/StatusAnswers.h"

CQueryRecogniser::CQueryRecogniser(PreviewLanguage language)
    : m_language(language), m_answers(StatusAnswersOf(language)) {
    if (m_answers) m_queries = m_answers->queries();
    for (const tagQuery& q : m_queries) m_first[q.bytes[0]] = true;
}

const tagQuery* CQueryRecogniser::Match(const uint8_t* data, size_t size, bool& partial) const {
    partial = false;
    for (const tagQuery& q : m_queries) {
        const size_t n = std::min(size, q.bytes.size());
        if (!std::equal(q.bytes.begin(), q.bytes.begin() + n, data)) continue;
        if (n == q.bytes.size()) return &q;
        partial = true;
    }
    return nullptr;
}

// A printer that takes its queries anywhere (ZPL) needs no test. Otherwise
// the preview decoder, which knows where every
// command ends, decides. It decodes the bytes before the candidate followed
// by the candidate and one, then two, padding bytes. At a command boundary
// the decoder refuses the candidate's first byte as a command of its own:
// both runs fail at exactly that offset with the same message, whatever
// follows. Inside a command (a raster command's data, a parameter byte) the
// decoder either fails earlier, or fails for want of data with a message
// that counts the bytes left (which the padding changes), or consumes the
// candidate as data and goes on past it. Decoders that know the query as a
// command of their own (Brother QL, DYMO, cat printers) take it and refuse the first
// padding byte (0xFF, no command of theirs) instead: both runs fail just
// past the query. (Raster data that ends in the query's bytes right where
// the stream pauses passes that test too; the printer then answers once
// more than asked.)
//
// Bytes before the query that the decoder refuses whatever follows them (a
// failure before the query, the same with one padding byte as with two) are
// no command of the language: a printer skips them and takes the query.
QueryPlace CQueryRecogniser::Place(std::vector<uint8_t>& before, const tagQuery& query) const {
    if (m_answers && m_answers->anywhere) return QueryPlace::AtCommand;
    const size_t at = before.size();
    const tagDecodeError junk = FailureWhateverFollows(before, {}, 0x00);
    if (junk.failed && junk.offset < at) return QueryPlace::AfterJunk;
    const tagDecodeError one =
        FailureWhateverFollows(before, query.bytes, query.decoderTakesIt ? 0xFF : 0x00);
    const size_t expected = query.decoderTakesIt ? at + query.bytes.size() : at;
    return one.failed && one.offset == expected ? QueryPlace::AtCommand : QueryPlace::InsideCommand;
}

// Decodes `before` and `then`, followed by one, then two, `pad` bytes: the
// failure when both runs fail alike, else none. `before` is left as it was.
tagDecodeError CQueryRecogniser::FailureWhateverFollows(std::vector<uint8_t>& before,
                                                        const std::vector<uint8_t>& then,
                                                        uint8_t pad) const {
    const size_t at = before.size();
    before.insert(before.end(), then.begin(), then.end());
    before.insert(before.end(), {pad, pad});
    tagDecodeOptions options;
    options.language = m_language;
    const tagDecodeError one = DecodeStream(before.data(), before.size() - 1, options).error;
    const tagDecodeError two = DecodeStream(before.data(), before.size(), options).error;
    before.resize(at);
    const bool same =
        one.failed && two.failed && one.offset == two.offset && one.message == two.message;
    return same ? one : tagDecodeError{};
}
