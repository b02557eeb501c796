#include "languages/niimbot/ModelId.h"

#include <cstdint>

#include "languages/niimbot/NiimbotPacket.h"

namespace {
using Reply = std::span<const uint8_t>;
using namespace niimbot;

// PrinterInfo key 8, the model id; answered by command 40 + 8 with the id as
// one byte (the high one) or two.
constexpr char kModelQuery[] = "\x55\x55\x40\x01\x08\x49\xAA\xAA";
constexpr uint8_t kModelAnswer = kPrinterInfo + 8;

struct ModelId {
    uint16_t id;
    const char* model;
};
// Model ids as the printers report them.
constexpr ModelId kModelIds[] = {
    {512, "NIIMBOT D11"},     {2304, "NIIMBOT D110"}, {2305, "NIIMBOT D110"},
    {2320, "NIIMBOT D110_M"}, {2560, "NIIMBOT D101"}, {3584, "NIIMBOT B18"},
    {768, "NIIMBOT B21"},     {4096, "NIIMBOT B1"},   {4097, "NIIMBOT B1 Pro"},
    {256, "NIIMBOT B3S"},     {260, "NIIMBOT B3S"},   {262, "NIIMBOT B3S"},
};

// The first answer to the query in `reply`, or none.
bool FindAnswer(Reply reply, Packet& answer) {
    for (size_t at = 0; at < reply.size();) {
        const Framing f = ReadPacket(reply.subspan(at), answer);
        if (f == Framing::Short) return false;
        if (f == Framing::Whole && answer.checkGood && answer.command == kModelAnswer &&
            !answer.data.empty())
            return true;
        at += f == Framing::Whole ? answer.size : 1;
    }
    return false;
}

bool ModelComplete(Reply reply) {
    Packet answer;
    return FindAnswer(reply, answer);
}

std::string ModelOf(Reply reply) {
    const int id = NiimbotModelId(reply);
    for (const ModelId& m : kModelIds)
        if (m.id == id) return m.model;
    return std::string();
}
}  // namespace

int NiimbotModelId(Reply reply) {
    Packet answer;
    if (!FindAnswer(reply, answer)) return -1;
    const std::span<const uint8_t> d = answer.data;
    return d.size() == 1 ? d[0] << 8 : d[0] << 8 | d[1];
}

const ModelExchange kNiimbotModel{{kModelQuery, sizeof kModelQuery - 1}, ModelComplete, ModelOf};
