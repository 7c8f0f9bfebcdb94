// Port-name rules: digits, Windows COMn names, the Bluetooth description rule, entry texts.
#include <gtest/gtest.h>

#include "device/MeterDetection.h"
#include "device/PortNames.h"

namespace voltaris {
namespace {

TEST(PortNames, AllDigitsNeedsAtLeastOneCharacterAndOnlyDigits) {
    EXPECT_FALSE(IsAllDigits("", false));
    EXPECT_FALSE(IsAllDigits("", true));
    EXPECT_TRUE(IsAllDigits("0123456789", false));
    EXPECT_FALSE(IsAllDigits("12a", false));
    EXPECT_FALSE(IsAllDigits("-1", false));
    EXPECT_FALSE(IsAllDigits("1:", false));
    EXPECT_TRUE(IsAllDigits("12:34", true));
    EXPECT_FALSE(IsAllDigits("12:3a", true));
}

TEST(PortNames, ComNameInAnyCaseFollowedByDigitsOnlyGivesThePortNumber) {
    EXPECT_EQ(ParseComPortName("COM5"), 5);
    EXPECT_EQ(ParseComPortName("com7"), 7);
    EXPECT_EQ(ParseComPortName("cOm012"), 12);
    for (const char* name : {"", "CO", "COM", "COMA", "COM1:", "COM 1", "COM-1", "COM+1", "COM1A",
                             "CON1", "XCOM1", "COM99999999999"}) {
        EXPECT_FALSE(ParseComPortName(name).has_value()) << '"' << name << '"';
    }
}

TEST(PortNames, BluetoothDescriptionNeedsUetoothAfterTheFirstCharacter) {
    EXPECT_TRUE(IsBluetoothDescription("Standard Serial over Bluetooth link"));
    EXPECT_TRUE(IsBluetoothDescription("bluetooth"));
    EXPECT_FALSE(IsBluetoothDescription("uetooth serial"));
    EXPECT_FALSE(IsBluetoothDescription("BLUETOOTH"));
    EXPECT_FALSE(IsBluetoothDescription(""));
}

TEST(PortNames, EntryTextCarriesTheGenerationAndThePortName) {
    EXPECT_EQ(MeterEntryText(1, "COM5"), "V1 COM5");
    EXPECT_EQ(MeterEntryText(2, "rfcomm0"), "V2 rfcomm0");
    EXPECT_EQ(GenerationOfEntry("V2 COM5"), kGenerationV2);
    for (const char* entry : {"V1 COM5", "", "V", "V3 x"}) {
        EXPECT_EQ(GenerationOfEntry(entry), kGenerationV1) << entry;
    }
}

}  // namespace
}  // namespace voltaris
