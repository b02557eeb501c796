#include "tools/sim/JobStream.h"

#include <utility>

#include "tools/sim/EventLog.h"

CJobStream::CJobStream(PreviewLanguage language, const CQueryRecogniser& queries, tagJobHooks hooks)
    : m_queries(queries),
      m_hooks(std::move(hooks)),
      m_receipts(language == PreviewLanguage::ESCPOS) {
    m_options.language = language;
}

bool CJobStream::Receive(const uint8_t* data, size_t size, std::string& replies) {
    if (size == 0) return true;
    m_fresh = true;
    if (m_held.empty()) {
        Scan(data, size, replies);
    } else {
        std::vector<uint8_t> joined(std::move(m_held));
        joined.insert(joined.end(), data, data + size);
        Scan(joined.data(), joined.size(), replies);
    }
    // Decoding starts from the first byte of the open page each time, so it
    // waits until the bytes held grew by a quarter: linear work overall.
    if ((m_job.size() - m_decodedSize) * 4 >= m_job.size()) Judge(Mode::Partial);
    return m_job.size() <= kMaxHeld;
}

// Takes the queries out of the bytes; a query cut off at the end is held
// until the next bytes tell.
void CJobStream::Scan(const uint8_t* data, size_t size, std::string& replies) {
    size_t start = 0, i = 0;
    for (; i < size; i++) {
        if (!m_queries.MayStart(data[i])) continue;
        bool partial = false;
        const tagQuery* query = m_queries.Match(data + i, size - i, partial);
        if (!query && partial) break;
        if (!query) continue;
        Append(data + start, i - start);
        start = i;
        const QueryPlace place = m_queries.Place(m_job, *query);
        if (place == QueryPlace::InsideCommand) continue;
        // Skipped bytes are dropped, as the printer drops them.
        Judge(place == QueryPlace::AfterJunk ? Mode::Close : Mode::Flush);
        replies += m_hooks.query(*query);
        i += query->bytes.size() - 1;
        start = i + 1;
    }
    Append(data + start, i - start);
    m_held.assign(data + i, data + size);
}

void CJobStream::Append(const uint8_t* data, size_t size) {
    m_job.insert(m_job.end(), data, data + size);
    m_hooks.keep(data, size);
}

// Decodes the held bytes and hands on the pages that are complete. A page
// the decoder closed only because the bytes ran out (a receipt, which has no
// end command) may go on while the stream does.
void CJobStream::Judge(Mode mode) {
    m_decodedSize = m_job.size();
    if (m_job.empty()) return;
    const tagDecodeResult result = DecodeStream(m_job.data(), m_job.size(), m_options);
    const bool failed = result.error.failed;
    size_t ready = result.pages.size();
    if (ready > 0 && !result.pages.back().complete && mode != Mode::Close) ready--;
    if (ready > 0 && !failed && mode == Mode::Partial && m_receipts) ready--;
    for (size_t i = m_judged; i < ready; i++) {
        if (!result.pages[i].HasBitmap()) continue;
        m_pages++;
        m_hooks.page(result.pages[i]);
    }
    if (ready > m_judged) m_judged = ready;
    if (failed && mode == Mode::Close)
        LogEvent("stream error at byte " + std::to_string(m_base + result.error.offset) + ": " +
                 result.error.message);
    if (mode == Mode::Partial && m_job.size() > kCompactAt && m_judged > 0) Compact();
    // Every page ended: the bytes are no longer needed (each decoder starts
    // a page afresh). A receipt may still go on.
    if (mode != Mode::Close && (failed || (mode == Mode::Partial && m_receipts))) return;
    m_base += m_job.size();
    m_job.clear();
    m_judged = 0;
    m_decodedSize = 0;
}

size_t CJobStream::CompletePages(size_t size) const {
    const tagDecodeResult result = DecodeStream(m_job.data(), size, m_options);
    size_t n = result.pages.size();
    return n > 0 && !result.pages.back().complete ? n - 1 : n;
}

// Drops the bytes of the pages already judged, so that a long job is held
// only from its open page on. The pages judged end at the shortest prefix
// that decodes to as many complete pages (for receipts: that also starts
// the next one, which opens with ESC @); a binary search finds it.
void CJobStream::Compact() {
    const size_t want = m_judged + (m_receipts ? 1 : 0);
    size_t low = 0, high = m_job.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (CompletePages(middle) >= want) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    if (m_receipts && low == m_job.size()) return;
    m_job.erase(m_job.begin(), m_job.begin() + static_cast<std::ptrdiff_t>(low));
    m_base += low;
    m_judged = 0;
    m_decodedSize = m_job.size();
}

void CJobStream::Idle() {
    m_fresh = false;
    Append(m_held.data(), m_held.size());
    m_held.clear();
    if (m_job.empty()) return;
    tagDecodeResult probe = DecodeStream(m_job.data(), m_job.size(), m_options);
    // A fault before the end will not heal: drop the bytes as a printer
    // empties its buffer, else a later job could never be decoded.
    const bool broken = probe.error.failed && probe.error.offset < m_job.size();
    Judge(broken ? Mode::Close : Mode::Flush);
}

void CJobStream::Close() {
    Append(m_held.data(), m_held.size());
    m_held.clear();
    Judge(Mode::Close);
}
