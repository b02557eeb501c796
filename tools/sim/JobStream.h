#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/preview/StreamDecoder.h"
#include "tools/sim/StatusQueries.h"

// What a job stream hands on: bytes to keep, pages as they complete, and
// queries to answer (the hook returns the reply).
struct tagJobHooks {
    std::function<void(const uint8_t*, size_t)> keep;
    std::function<void(const tagDecodedPage&)> page;
    std::function<std::string(const tagQuery&)> query;
};

// The bytes of one connection (or of the pseudo-terminal): takes status
// queries out, and decodes the rest into pages as they complete.
class CJobStream {
public:
    // Most bytes held for pages that have not ended.
    static constexpr size_t kMaxHeld = size_t{256} << 20;
    // Held bytes beyond which those of pages already judged are dropped.
    static constexpr size_t kCompactAt = size_t{64} << 20;

    CJobStream(PreviewLanguage language, const CQueryRecogniser& queries, tagJobHooks hooks);

    // Takes bytes as they arrive and adds the replies to send back. False
    // when the bytes held for pages not ended pass kMaxHeld.
    bool Receive(const uint8_t* data, size_t size, std::string& replies);
    // Nothing arrived for a while: a receipt ends here; a stream that cannot
    // be decoded is dropped with a message.
    void Idle();
    // The link closed: every page left is judged, even one cut short.
    void Close();
    // Has anything arrived since the last Idle?
    bool Quiet() const { return !m_fresh; }
    uint64_t Pages() const { return m_pages; }

private:
    // Partial: the stream goes on. Flush: it pauses here (a query or a
    // quiet link). Close: it ends.
    enum class Mode { Partial, Flush, Close };

    void Scan(const uint8_t* data, size_t size, std::string& replies);
    void Append(const uint8_t* data, size_t size);
    void Judge(Mode mode);
    size_t CompletePages(size_t size) const;
    void Compact();

    tagDecodeOptions m_options;
    const CQueryRecogniser& m_queries;
    tagJobHooks m_hooks;
    std::vector<uint8_t> m_job;   // bytes of pages not all judged yet
    std::vector<uint8_t> m_held;  // the start of what may be a query
    size_t m_judged = 0;          // pages of m_job already judged
    size_t m_decodedSize = 0;     // size of m_job when last decoded
    uint64_t m_base = 0;          // offset of m_job in the link's bytes
    uint64_t m_pages = 0;
    bool m_fresh = false;
    bool m_receipts;  // ESC/POS receipts end only where the next one starts
};
