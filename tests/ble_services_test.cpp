#include <gtest/gtest.h>

#include "app/devices/BleDevice.h"
#include "ble/BleServices.h"

namespace {
BleCharacteristic Char(const char* service, const char* uuid, std::vector<std::string> flags) {
    return {std::string("/c/") + uuid, FullUuid(service), FullUuid(uuid), std::move(flags), 0};
}
const std::vector<std::string> kWnr = {"write-without-response"};
const std::vector<std::string> kNotify = {"notify"};
constexpr const char* kUart = "49535343-fe7d-4ae5-8fa9-9fafd205e455";
constexpr const char* kNiimbot = "e7810a71-73ae-499d-8c15-faa9aef0c3f2";
}  // namespace

TEST(BleServices, ChoosesTheWriteAndNotifyCharacteristics) {
    struct Row {
        const char* what;
        std::vector<BleCharacteristic> chars;
        const char* write;  // uuid, or null for none
        const char* notify;
        BleFraming framing;
    } rows[] = {
        {"cat printer",
         {Char("ae30", "ae02", kNotify), Char("ae30", "ae01", kWnr)},
         "ae01",
         "ae02",
         BleFraming::Cat},
        {"Paperang",
         {Char(kUart, "49535343-1e4d-4bd9-ba61-23c647249616", kNotify),
          Char(kUart, "49535343-6daa-4d02-abf6-19569aca69fe", kWnr)},
         "49535343-6daa-4d02-abf6-19569aca69fe",
         "49535343-1e4d-4bd9-ba61-23c647249616",
         BleFraming::Paperang},
        {"UART receipt printer",
         {Char(kUart, "49535343-8841-43f4-a8d4-ecbe34729bb3", kWnr),
          Char(kUart, "49535343-1e4d-4bd9-ba61-23c647249616", kNotify)},
         "49535343-8841-43f4-a8d4-ecbe34729bb3",
         "49535343-1e4d-4bd9-ba61-23c647249616",
         BleFraming::Plain},
        {"ff00 with ff03",
         {Char("ff00", "ff02", kWnr), Char("ff00", "ff03", kNotify)},
         "ff02",
         "ff03",
         BleFraming::Plain},
        {"18f0 without notify",
         {Char("18f0", "2af1", {"write"})},
         "2af1",
         nullptr,
         BleFraming::Plain},
        {"unknown service: by flags",
         {Char("1800", "2a00", {"read"}), Char("abcd", "abce", kNotify),
          Char("abcd", "abcf", kWnr)},
         "abcf",
         "abce",
         BleFraming::Plain},
        {"known uuid that can't be written falls to flags",
         {Char("ae30", "ae01", {"read"}), Char("ae30", "ae03", kWnr)},
         "ae03",
         nullptr,
         BleFraming::Plain},
        {"NIIMBOT: one characteristic writes and notifies",
         {Char(kNiimbot, "bef8d6c9-9c21-4c9e-b632-bd58c1009f9f",
               {"write-without-response", "notify"})},
         "bef8d6c9-9c21-4c9e-b632-bd58c1009f9f",
         "bef8d6c9-9c21-4c9e-b632-bd58c1009f9f",
         BleFraming::Niimbot},
        {"nothing writable", {Char("1800", "2a00", {"read"})}, nullptr, nullptr, BleFraming::Plain},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const auto channel = ChooseChannel(r.chars);
        ASSERT_EQ(channel.has_value(), r.write != nullptr);
        if (!channel) continue;
        EXPECT_EQ(channel->write->uuid, FullUuid(r.write));
        EXPECT_EQ(channel->notify ? channel->notify->uuid : "", r.notify ? FullUuid(r.notify) : "");
        EXPECT_EQ(channel->framing, r.framing);
    }
    EXPECT_TRUE(ChooseChannel({Char("18f0", "2af1", {"write"})})->withResponse);
    // Hearing every notifying characteristic of the service written to.
    const std::vector<BleCharacteristic> phomemo = {
        Char("ff00", "ff01", kNotify), Char("ff00", "ff02", kWnr), Char("ff00", "ff03", kNotify),
        Char("ff80", "ff81", kNotify)};
    EXPECT_TRUE(ChooseChannel(phomemo)->alsoNotify.empty());
    const auto every = ChooseChannel(phomemo, true);
    ASSERT_EQ(every->alsoNotify.size(), 1u);
    EXPECT_EQ(every->notify->uuid, FullUuid("ff01"));
    EXPECT_EQ(every->alsoNotify[0]->uuid, FullUuid("ff03"));
}

TEST(BleServices, SuggestsDriversFromNameAndServices) {
    struct Row {
        const char* name;
        std::vector<std::string> uuids;
        const char* driver;
    } rows[] = {
        {"GB02", {}, "cat_203"},
        {"MX10", {}, "cat_203"},
        {"MXW01", {FullUuid("ae30")}, nullptr},  // another protocol
        {"", {"0000AE30-0000-1000-8000-00805F9B34FB"}, "cat_203"},
        {"Paperang P2", {kUart}, "paperang_203"},
        {"POS-58", {kUart}, "escpos_58"},
        {"MTP-II", {"ff00"}, "escpos_58"},
        {"BlueTooth Printer", {FullUuid("18f0")}, "escpos_58"},
        {"Headphones", {FullUuid("110b")}, nullptr},
        {"D110_M-GC18062826", {kNiimbot}, "niimbot_d11_203"},
        {"B21-C2B1234", {}, "niimbot_b21_203"},
        {"B1_Label", {}, "niimbot_b21_203"},
        {"B1000", {}, nullptr},  // not a model name
        {"", {kNiimbot}, "niimbot_b21_203"},
        {"Mr.in_M02", {FullUuid("ff00")}, "phomemo_m02"},
        {"M110-A1B2", {}, "phomemo_m110"},
        {"M220_1234", {}, "phomemo_m220"},
        {"M1100", {"ff00"}, "escpos_58"},  // not a model name
    };
    for (const Row& r : rows) {
        const char* got = SuggestBleDriver(r.name, r.uuids);
        EXPECT_STREQ(got, r.driver) << r.name;
    }
}

TEST(BleServices, ReadsAddressesAndSuggestedDrivers) {
    EXPECT_EQ(BleAddressOf("ble://aa:bb:cc:dd:ee:0f"), "AA:BB:CC:DD:EE:0F");
    EXPECT_EQ(BleAddressOf("ble://AA-BB-CC-DD-EE-FF/"), "AA:BB:CC:DD:EE:FF");
    EXPECT_EQ(BleAddressOf(BleUriOf("AA:BB:CC:DD:EE:0F")), "AA:BB:CC:DD:EE:0F");
    for (const char* bad : {"ble://AA:BB:CC:DD:EE", "ble://AA_BB_CC_DD_EE_FF", "serial:/dev/x",
                            "ble://AA:BB:CC:DD:EE:FG", "ble://AA:BB:CC:DD:EE:FF:00"})
        EXPECT_EQ(BleAddressOf(bad), "") << bad;
    EXPECT_STREQ(BleDriverOfDeviceId("MFG:Bluetooth LE;MDL:POS;DRV:escpos_58;"), "escpos_58");
    EXPECT_EQ(BleDriverOfDeviceId("MFG:Bluetooth LE;MDL:X;DRV:no_such;"), nullptr);
    EXPECT_EQ(BleDriverOfDeviceId("MFG:EPSON;MDL:TM-T20;"), nullptr);
}
