// Channel 2 of the DMA controller, driven by a ROM in the whole machine.
#include "storage_rom.h"

using namespace storage_rom;

TEST(StorageDmaRom, Channel2RunsChainsErrorsAndInterrupts) {
    RomFolder folder("dma_channel2");
    ASSERT_TRUE(folder.ok());
    std::vector<uint8_t> ram = run(folder);
    expect_finished(ram);
    constexpr uint32_t NORMAL = 0x60, ERROR = 0x61;
    expect_results(ram, {
                            // clang-format off
        {0, 0xE0, "mode 0: CSR"}, {1, 0, "mode 0: CER"}, {2, NORMAL, "mode 0: NIV taken"},
        {3, 0x55667788, "mode 0: data moved"}, {4, 0x10000, "MAR kept"},
        {5, 0x10, "MTC 0: CSR"}, {6, 0x0D, "MTC 0: CER"}, {7, ERROR, "MTC 0: EIV taken"},
        {8, 0x10, "start over ERR: CSR"}, {9, 0x02, "start over ERR: CER"},
        {10, 0x10, "chain mode 1: CSR"}, {11, 0x01, "chain mode 1: CER"}, {12, ERROR, "chain mode 1: EIV"},
        {13, 0xE0, "array chain: CSR"}, {14, 0, "array chain: CER"}, {15, NORMAL, "array chain: NIV"},
        {16, 0x99AABBCC, "array chain: first entry"}, {17, 0x11220000, "array chain: second entry after it"},
        {18, 0x12000, "array chain: BAR kept"},
        {19, 0x10, "BTC 0: CSR"}, {20, 0x0D, "BTC 0: CER"}, {21, ERROR, "BTC 0: EIV"},
        {22, 0xE0, "link chain: CSR"}, {23, 0, "link chain: CER"}, {24, NORMAL, "link chain: NIV"},
        {25, 0xDDEE5566, "link chain: both entries"},
        {26, 0x10, "looping link chain: CSR"}, {27, 0x0D, "looping link chain: CER"},
        {28, ERROR, "looping link chain: EIV"},
        {29, 0x10, "link count 0: CSR"}, {30, 0x0D, "link count 0: CER"}, {31, ERROR, "link count 0: EIV"},
        {32, 0x10, "unmapped: CSR"}, {33, 0x09, "unmapped: CER"}, {34, ERROR, "unmapped: EIV"},
        {35, 0x10, "odd word: CSR"}, {36, 0x05, "odd word: CER"}, {37, ERROR, "odd word: EIV"},
        {38, 0xE0, "8-bit device: CSR"}, {39, 0, "8-bit device: CER"}, {40, NORMAL, "8-bit device: NIV"},
        {41, 0x11002200, "8-bit device: bytes 0-1"}, {42, 0x33004400, "8-bit device: bytes 2-3"},
        {43, 0x55006600, "8-bit device: bytes 4-5"},
        {44, 0xE0, "device type 2: CSR"}, {45, 0, "device type 2: CER"}, {46, NORMAL, "device type 2: NIV"},
        {47, 0x66666600, "device type 2: fixed source"},
        {48, 0xE0, "long write start: CSR"}, {49, 0, "long write start: CER"}, {50, 0, "no INT: no vector"},
        {51, 0x11000000, "long write start: byte moved"},
        {52, 0xE0, "$E84187: CSR"}, {53, 0, "$E84187: CER"}, {54, NORMAL, "$E84187: NIV"},
        {55, 0xE0, "self-CCR: CSR"}, {56, 0, "self-CCR: CER"}, {57, NORMAL, "self-CCR: NIV"},
        {58, 1, "self-CCR: one run"},
        {59, 0x80, "CSR $FF"}, {60, 0x80, "CSR $00"},
        {61, 0x0810, "word read DCR:OCR"},
        {62, 0x10, "16 MB run: CSR"}, {63, 0x0D, "16 MB run: CER"}, {64, ERROR, "16 MB run: EIV"},
    });
    // clang-format on
}
