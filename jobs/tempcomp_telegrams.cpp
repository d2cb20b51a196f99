#include "tempcomp_telegrams.h"

#include "tempcomp_tables.h"
#include "telegram.h"

#include <algorithm>
#include <cstring>

namespace tempcomp {

uint16_t pp[kDecodeWords];

namespace {

const uint16_t *factorTable(int channel)
{
    switch (channel) {
    case 0: return dataCfRot;
    case 1: return dataCfGruen;
    case 2: return dataCfBlau;
    default: return nullptr;
    }
}

void decode(int words)
{
    for (int k = 0; k < words; ++k)
        pp[k] = GetWord(com232::szReadBuf, 2 * k);
}

} // namespace

void FillTxBuf(unsigned order, unsigned arg)
{
    std::memset(com232::szWriteBuf, 0, kTelegramBytes);
    PutWord(com232::szWriteBuf, 0, com232::sync);
    PutWord(com232::szWriteBuf, 2, static_cast<uint16_t>(order));
    PutWord(com232::szWriteBuf, 4, static_cast<uint16_t>(arg));
}

int FillTxBufRGB(unsigned order, unsigned block, int channel)
{
    const uint16_t *table = factorTable(channel);
    if (!table || block >= kFactorBlocks)
        return -1;
    FillTxBuf(order, block);
    for (int i = 0; i < kFactorsPerBlock; ++i)
        PutWord(com232::szWriteBuf, 6 + 2 * i, table[block * kFactorsPerBlock + static_cast<unsigned>(i)]);
    return 0;
}

int FillTxBuf3rdRootX(unsigned order, unsigned block)
{
    if (block >= kRootBlocks)
        return -1;
    FillTxBuf(order, block);
    for (int i = 0; i < kRootPerBlock; ++i)
        PutWord(com232::szWriteBuf, 6 + 2 * i, data3rdRoot[block * kRootPerBlock + static_cast<unsigned>(i)]);
    return 0;
}

void GetRxBufPara() { decode(kTempPoints); }

void GetRxBuf3rdRoot() { decode(kRootHalf); }

void CopyPPtoVarsR() { std::copy_n(pp, kTempPoints, savedCfRot); }

void CopyPPtoVarsG() { std::copy_n(pp, kTempPoints, savedCfGruen); }

void CopyPPtoVarsB() { std::copy_n(pp, kTempPoints, savedCfBlau); }

} // namespace tempcomp
