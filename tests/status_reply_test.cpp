#include <gtest/gtest.h>

#include <string>

#include "printers/StatusExchange.h"

namespace {
struct ReplyCase {
    int model;
    std::string reply;
    bool complete;
    const char* message;
};

// A Brother QL status block with its two error bytes.
std::string QlReply(char one, char two, size_t size = 32) {
    std::string r(size, '\0');
    r[0] = '\x80';
    if (size > 9) r[8] = one, r[9] = two;
    return r;
}

// A Brother P-touch status block: error bytes, the tape's width code and
// type.
std::string PtouchReply(char one, char two, char width = 0x18, char type = 0x01) {
    std::string r(32, '\0');
    r[0] = '\x80', r[1] = 0x20, r[2] = 'B', r[3] = '0';
    r[8] = one, r[9] = two, r[10] = width, r[11] = type;
    return r;
}

// A NIIMBOT heartbeat answer (DD, 13 data bytes) with its check byte.
std::string NiimbotHeartbeat(char lid, char battery, char paper, char check) {
    return std::string("\x55\x55\xDD\x0D\x1E\xD8\x00\x6C\x00\x6C\x00\x00\x54", 13) + lid + battery +
           paper + std::string("\x01", 1) + check + "\xAA\xAA";
}

// A cat printer's status answer packet around its status byte.
std::string CatReply(char status, char crc) {
    return std::string("\x51\x78\xA3\x01\x01\x00", 6) + status + crc + "\xFF";
}

// A 9-byte Star automatic status with status bytes 1 to 4.
std::string StarReply(char one, char two, char three, char four) {
    return std::string("\x23\x06", 2) + one + two + three + four + std::string(3, '\0');
}

// Phomemo records before the paper and lid answers.
std::string PhomemoAnswers(const std::string& before, char paper, char lid) {
    return before + "\x1A\x06" + paper + "\x1A\x05" + lid;
}

std::string ZplReply(const char* one, const char* two) {
    return std::string("\x02") + one + "\x03\r\n\x02" + two + "\x03\r\n\x02" + "1234,0\x03\r\n";
}

const ReplyCase kReplies[] = {
    // ESC/POS: answers to DLE EOT 1, 2, 3, 4.
    {21, "\x16\x12\x12\x12", true, "Ready."},
    {21, "\x1e\x32\x12\x72", true, "Out of paper."},
    {21, "\x1e\x16\x12\x12", true, "Cover or print head open."},
    {21, "\x16\x12\x12\x1e", true, "Paper nearly out."},
    {21, "\x1e\x12\x12\x12", true, "Offline or paused."},
    {21, "\x1e\x52\x52\x12", true, "Print head too hot."},
    {21, "\x1e\x52\x1a\x12", true, "Printer error."},
    {21, "\x16\x12\x12", false, "No answer from the printer."},
    {21, "\x16\x12\x12\x13", true, "No answer from the printer."},  // bit 0 must be clear
    {21, "", false, "No answer from the printer."},
    // PeriPage speaks the same queries.
    {24, "\x16\x12\x12\x72", true, "Out of paper."},
    // TSPL: one byte, bits.
    {20, std::string(1, '\0'), true, "Ready."},
    {20, "\x01", true, "Cover or print head open."},
    {20, "\x40", true, "Cover or print head open."},
    {20, "\x06", true, "Out of paper, paper jam."},
    {20, "\x18", true, "Ribbon out, offline or paused."},
    {20, "\x20", true, "Ready."},  // printing
    {20, "\x80", true, "Printer error."},
    {20, "", false, "No answer from the printer."},
    // ZPL: three STX..ETX lines.
    {25, ZplReply("030,0,0,1218,000,0,0,0,000,0,0,0", "000,0,0,0,0,2,0,0,00000000,1,000"), true,
     "Ready."},
    {25, ZplReply("030,1,1,1218,000,0,0,0,000,0,0,1", "000,0,1,1,0,2,0,0,00000000,1,000"), true,
     "Out of paper, cover or print head open, ribbon out, offline or paused, print head too "
     "hot."},
    {25, ZplReply("030,0,0,1218,000,0,0,0,000,0,1,0", "000,0,0,0,0,2,0,0,00000000,1,000"), true,
     "Printer error."},
    {25,
     "\x02"
     "030,1,0\x03\r\n",
     false, "No answer from the printer."},
    {25, ZplReply("030,0,0,1218", "000,0,0,0,0,2,0,0,00000000,1,000"), true,
     "No answer from the printer."},
    {25, ZplReply("030,x,0,1218,000,0,0,0,000,0,0,0", "000,0,0,0,0,2,0,0,00000000,1,000"), true,
     "No answer from the printer."},
    {25, "\x03\x03\x03", false, "No answer from the printer."},
    // Brother QL: 32 bytes, error information 1 and 2 in bytes 8 and 9.
    {27, QlReply(0, 0), true, "Ready."},
    {27, QlReply(0x02, 0x10), true, "Out of paper, cover or print head open."},
    {27, QlReply(0x04, 0), true, "Paper jam."},
    {27, QlReply(0, 0, 31), false, "No answer from the printer."},
    // DYMO: one byte; top of form alone is ready.
    {28, "\x02", true, "Ready."},
    {28, "\x22", true, "Out of paper."},
    {28, "\x80", true, "Printer error."},
    // Cat printer: an A3 packet from the printer, status bits 0-3.
    {29, CatReply(0x00, 0x00), true, "Ready."},
    {29, CatReply(0x01, 0x07), true, "Out of paper."},
    {29, CatReply(0x02, 0x0E), true, "Cover or print head open."},
    {29, CatReply(0x04, 0x1C), true, "Print head too hot."},
    {29, CatReply(0x08, 0x38), true, "Battery low."},
    {29, CatReply(0x0F, 0x2D), true,
     "Out of paper, cover or print head open, print head too hot, battery low."},
    // A flow-control packet and a stray byte before the answer are skipped.
    {29, std::string("\x51\x78\xAE\x01\x01\x00\x10\x70\xFF\x00", 10) + CatReply(0x01, 0x07), true,
     "Out of paper."},
    // Answers to the queries a print carried come first: the last one counts.
    {29, CatReply(0x00, 0x00) + CatReply(0x01, 0x07), true, "Out of paper."},
    {29, CatReply(0x01, 0x00), true, "No answer from the printer."},  // CRC wrong
    {29, CatReply(0x01, 0x07).substr(0, 8), false, "No answer from the printer."},
    // Star: automatic status, its length in header 1 (0x23: 9 bytes, 0x0F: 7).
    {30, StarReply(0, 0, 0, 0), true, "Ready."},
    {30, StarReply(0x08, 0, 0, 0x08), true, "Out of paper."},
    {30, StarReply(0x28, 0, 0, 0), true, "Cover or print head open."},
    {30, StarReply(0x08, 0x40, 0, 0), true, "Print head too hot."},
    {30, StarReply(0x08, 0x08, 0, 0), true, "Printer error."},  // cutter
    {30, StarReply(0, 0, 0, 0x04), true, "Paper nearly out."},
    {30, StarReply(0x08, 0, 0, 0), true, "Offline or paused."},
    {30, std::string("\x0f\x02\x00\x00\x00\x08\x00", 7), true, "Out of paper."},
    {30, StarReply(0, 0, 0, 0x08).substr(0, 8), false, "No answer from the printer."},
    {30, "\x11" + StarReply(0, 0, 0, 0x08), true, "Out of paper."},  // after XON
    {30, "\x11", false, "No answer from the printer."},
    {30, "\x12", true, "No answer from the printer."},  // not a header
    // NIIMBOT: the 13-byte heartbeat answer a B21 sent, lid at 9, battery at
    // 10, paper at 11; a print error packet before it counts too.
    {31, NiimbotHeartbeat(0, 3, 0, 0x40), true, "Ready."},
    {31, NiimbotHeartbeat(1, 3, 0, 0x41), true, "Cover or print head open."},
    {31, NiimbotHeartbeat(0, 3, 1, 0x41), true, "Out of paper."},
    {31, NiimbotHeartbeat(0, 1, 0, 0x42), true, "Battery low."},
    {31, std::string("\x55\x55\xDB\x01\x07\xDD\xAA\xAA", 8) + NiimbotHeartbeat(0, 3, 0, 0x40), true,
     "Print head too hot."},
    {31, std::string("\x55\x55\xDB\x01\x02\xD8\xAA\xAA", 8) + NiimbotHeartbeat(0, 3, 0, 0x40), true,
     "Out of paper."},
    // The answer to a page's progress query and a stray byte are skipped.
    {31,
     std::string("\x55\x55\xB3\x04\x00\x01\x64\x64\xB6\xAA\xAA\x00", 12) +
         NiimbotHeartbeat(0, 3, 1, 0x41),
     true, "Out of paper."},
    // A D110 (model id 2304, answered before the heartbeat) has 1 for a closed lid.
    {31, std::string("\x55\x55\x48\x02\x09\x00\x43\xAA\xAA", 9) + NiimbotHeartbeat(1, 3, 0, 0x41),
     true, "Ready."},
    {31, std::string("\x55\x55\x48\x02\x09\x00\x43\xAA\xAA", 9) + NiimbotHeartbeat(0, 3, 0, 0x40),
     true, "Cover or print head open."},
    {31, NiimbotHeartbeat(0, 3, 1, 0x40), false, "No answer from the printer."},  // check wrong
    {31, NiimbotHeartbeat(0, 3, 0, 0x40).substr(0, 12), false, "No answer from the printer."},
    // Phomemo: 1A tt vv records by their type, the last of each counting;
    // the answers to an M02 page's own queries (timer, firmware, serial in
    // ASCII) and the motor-stopped event are stepped over.
    {32,
     PhomemoAnswers(std::string("\x1A\x09\x0C\x1A\x07\x01\x00\x00\x1A\x08SN1234\x1A\x04\x5A", 19),
                    '\x89', '\x98'),
     true, "Ready."},
    {32, PhomemoAnswers("\x1A\x04\x5A", '\x88', '\x98'), true, "Out of paper."},
    // The paper sensor reads out while the lid is open.
    {32, PhomemoAnswers("\x1A\x04\x5A", '\x88', '\x99'), true, "Cover or print head open."},
    {32, PhomemoAnswers("\x1A\x04\xA2", '\x89', '\x98'), true, "Battery low."},  // coded 5 %
    {32, PhomemoAnswers("", '\x89', '\x98') + "\x1A\x0F\x0C\x1A\x05\x99", true,
     "Cover or print head open."},
    {32, PhomemoAnswers("\x1A\x04\x5A", '\x89', '\x98').substr(0, 5), false,
     "No answer from the printer."},
    // Brother P-touch: no tape as an error bit or as width and type 0, the
    // wrong tape for the page as "replace media".
    {33, PtouchReply(0, 0), true, "Ready."},
    {33, PtouchReply(0x01, 0, 0, 0), true, "Out of paper."},
    {33, PtouchReply(0, 0, 0, 0), true, "Out of paper."},
    {33, PtouchReply(0x02, 0), true, "Out of paper."},
    {33, PtouchReply(0x04, 0x10), true, "Cover or print head open, paper jam."},
    {33, PtouchReply(0, 0x01, 0x0C), true, "Other media needed."},
    {33, PtouchReply(0, 0, 0x18, '\xFF'), true, "Other media needed."},  // incompatible
    {33, PtouchReply(0x08, 0x20), true, "Print head too hot, battery low."},
    {33, PtouchReply(0x40, 0), true, "Printer error."},
    {33, QlReply(0x01, 0), true, "No answer from the printer."},  // no 'B'
    {33, PtouchReply(0, 0).substr(0, 31), false, "No answer from the printer."},
};

TEST(StatusReply, RepliesBecomeConditions) {
    for (const ReplyCase& c : kReplies) {
        SCOPED_TRACE(::testing::Message() << "model " << c.model << " reply of " << c.reply.size()
                                          << " bytes, expecting " << c.message);
        const StatusExchange* exchange = StatusExchangeFor(c.model);
        ASSERT_NE(exchange, nullptr);
        const std::span<const uint8_t> reply(reinterpret_cast<const uint8_t*>(c.reply.data()),
                                             c.reply.size());
        EXPECT_EQ(exchange->complete(reply), c.complete);
        EXPECT_EQ(exchange->parse(reply).Message(), c.message);
    }
}

// What a NIIMBOT printer sends after a page, and what the job reads from
// it: the captured B1 progress answers, print end's answer, print errors.
TEST(StatusReply, NiimbotPageProgress) {
    const std::string b1Start(
        "\x55\x55\xB3\x0A\x00\x00\x14\x00\x01\x9E\x00\x01\x00\x00\x33\xAA\xAA", 17);
    const std::string b1Done("\x55\x55\xB3\x0A\x00\x01\x64\x64\x03\x1E\x00\x02\x00\x00\xA7\xAA\xAA",
                             17);
    const std::string b1LidOpened(
        "\x55\x55\xB3\x0A\x00\x00\x28\x00\x01\x9E\x01\x00\x00\x00\x0F\xAA\xAA", 17);
    const std::string ended("\x55\x55\xF4\x01\x01\xF4\xAA\xAA", 8);
    const std::string notEnded("\x55\x55\xF4\x01\x00\xF5\xAA\xAA", 8);
    const std::string pageEndAnswer("\x55\x55\xE4\x01\x01\xE4\xAA\xAA", 8);
    const struct {
        std::string reply;
        PageProgress::State state;
        bool ended;
        const char* message;
    } cases[] = {
        // 100 % right after the page may be the previous print's.
        {b1Done, PageProgress::Printing, false, "No answer from the printer."},
        {b1Start + b1Done, PageProgress::Printed, false, "No answer from the printer."},
        {pageEndAnswer + std::string(1, '\0') + notEnded + ended, PageProgress::Printed, true,
         "No answer from the printer."},
        {notEnded, PageProgress::Printing, false, "No answer from the printer."},
        {b1Start + b1LidOpened + ended, PageProgress::Failed, false, "Cover or print head open."},
        {b1Start + std::string("\x55\x55\xDB\x01\x02\xD8\xAA\xAA", 8), PageProgress::Failed, false,
         "Out of paper."},
        {std::string("\x55\x55\xDB\x01\x06\xDC\xAA\xAA", 8), PageProgress::Failed, false,
         "Printer error."},
        {b1Start + b1Done.substr(0, 16), PageProgress::Printing, false,
         "No answer from the printer."},
    };
    const PageProgressExchange* exchange = StatusExchangeFor(31)->progress;
    ASSERT_NE(exchange, nullptr);
    EXPECT_EQ(exchange->query, std::string("\x55\x55\xA3\x01\x01\xA3\xAA\xAA", 8));
    EXPECT_EQ(exchange->finish, std::string("\x55\x55\xF3\x01\x01\xF3\xAA\xAA", 8));
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.reply.size() << " bytes, " << c.message);
        const PageProgress p = exchange->read(
            std::span(reinterpret_cast<const uint8_t*>(c.reply.data()), c.reply.size()));
        EXPECT_EQ(p.state, c.state);
        EXPECT_EQ(p.ended, c.ended);
        EXPECT_EQ(p.conditions.Message(), c.message);
    }
}

// A NIIMBOT printer's model id (PrinterInfo key 8) as one byte or two.
TEST(StatusReply, NiimbotModelIds) {
    const struct {
        std::string reply;
        bool complete;
        const char* model;
    } cases[] = {
        {std::string("\x55\x55\x48\x02\x09\x10\x53\xAA\xAA", 9), true, "NIIMBOT D110_M"},
        {std::string("\x55\x55\x48\x01\x03\x4A\xAA\xAA", 8), true, "NIIMBOT B21"},
        {std::string("\x55\x55\x48\x02\x12\x34\x6C\xAA\xAA", 9), true, ""},
        {std::string("\x55\x55\x48\x01\x03\x4B\xAA\xAA", 8), false, ""},  // check wrong
    };
    const ModelExchange* exchange = StatusExchangeFor(31)->model;
    ASSERT_NE(exchange, nullptr);
    EXPECT_EQ(exchange->query, std::string("\x55\x55\x40\x01\x08\x49\xAA\xAA", 8));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const std::span reply(reinterpret_cast<const uint8_t*>(c.reply.data()), c.reply.size());
        EXPECT_EQ(exchange->complete(reply), c.complete);
        EXPECT_EQ(exchange->model(reply), c.model);
    }
}

TEST(StatusReply, QueriesByModel) {
    const struct {
        int model;
        const char* query;  // null: the language has no status query
    } cases[] = {
        {20, "\x1b!?"},
        {21, "\x10\x04\x01\x10\x04\x02\x10\x04\x03\x10\x04\x04"},
        {22, nullptr},
        {23, nullptr},
        {24, "\x10\x04\x01\x10\x04\x02\x10\x04\x03\x10\x04\x04"},
        {25, "~HS"},
        {26, nullptr},
        {27, "\x1biS"},
        {28,
         "\x1b"
         "A"},
        {30, "\x1b\x06\x01"},
        {31, "\x55\x55\x40\x01\x08\x49\xAA\xAA\x55\x55\xDC\x01\x01\xDC\xAA\xAA"},
        {32, "\x1f\x11\x08\x1f\x11\x11\x1f\x11\x12"},
        {33, "\x1biS"},
        {99, nullptr},
    };
    const std::string catQuery("\x51\x78\xA3\x00\x01\x00\x00\x00\xFF", 9);
    EXPECT_EQ(StatusExchangeFor(29)->query, catQuery);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const StatusExchange* exchange = StatusExchangeFor(c.model);
        if (!c.query) {
            EXPECT_EQ(exchange, nullptr);
            continue;
        }
        ASSERT_NE(exchange, nullptr);
        EXPECT_EQ(exchange->query, c.query);
    }
}
}  // namespace
