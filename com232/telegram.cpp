#include "telegram.h"

#include <cstring>

namespace com232 {
char szWriteBuf[kBufSize];
char szReadBuf[kBufSize];
uint16_t sync = 0x55;
uint16_t order = 1;
uint16_t anzframe = kTelegramWords;
uint16_t anzpara = kParaWords;
uint16_t anzdata = 16;
uint16_t databuf[kTelegramWords];
char version[kVersionSize];
uint16_t pp[kParaWords];
} // namespace com232

using namespace com232;

void PutWord(char *buf, int byteOffset, uint16_t w)
{
    buf[byteOffset] = static_cast<char>(w >> 8);
    buf[byteOffset + 1] = static_cast<char>(w & 0xFF);
}

uint16_t GetWord(const char *buf, int byteOffset)
{
    const auto hi = static_cast<unsigned char>(buf[byteOffset]);
    const auto lo = static_cast<unsigned char>(buf[byteOffset + 1]);
    return static_cast<uint16_t>((hi << 8) | lo);
}

int FillTxBuf(unsigned orderArg, unsigned arg)
{
    const auto o = static_cast<uint16_t>(orderArg);
    const auto a = static_cast<uint16_t>(arg);
    if ((o == ORDER_SET_ROW || o == ORDER_GET_ROW) && a >= kRows)
        return -1; // would address words beyond the packet
    PutWord(szWriteBuf, 0, sync);
    PutWord(szWriteBuf, 2, o);
    if (o == ORDER_SET_ROW) {
        PutWord(szWriteBuf, 4, a);
        for (int k = 0; k < 6; ++k)
            PutWord(szWriteBuf, 6 + 2 * k, pp[16 + 6 * a + k]);
    } else if (o == ORDER_GET_ROW) {
        PutWord(szWriteBuf, 4, a);
    } else {
        // anzframe words of pp from byte 4: words 16 and 17 land in bytes
        // 36-39, which are never sent.
        for (int k = 0; k < anzframe; ++k)
            PutWord(szWriteBuf, 4 + 2 * k, pp[k]);
    }
    return 0;
}

void GetRxBufPara()
{
    for (int k = 0; k < anzframe; ++k)
        pp[k] = GetWord(szReadBuf, 2 * k);
}

void GetRxBufData()
{
    for (int k = 0; k < anzframe; ++k)
        databuf[k] = GetWord(szReadBuf, 2 * k);
}

void InitTelegramGlobals()
{
    std::memset(szWriteBuf, 0, sizeof szWriteBuf);
    std::memset(szReadBuf, 0, sizeof szReadBuf);
    std::memset(databuf, 0, sizeof databuf);
    std::memset(version, 0, sizeof version);
    std::memset(pp, 0, sizeof pp);
    sync = 0x55;
    order = 1;
    anzframe = kTelegramWords;
    anzpara = kParaWords;
    anzdata = 16;
}
