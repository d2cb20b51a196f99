// The telegrams of the temperature-compensation program: factor and
// cube-root blocks for the upload, the read-back requests, and the decoding
// of the long replies (200 and 256 bytes). Pure buffer handling: nothing here
// touches the line.
#pragma once

#include "tempcomp_curves.h"

#include <cstdint>

namespace tempcomp {

enum : uint16_t {
    ORDER_SET_TEMPCF_RED = 40,
    ORDER_SET_TEMPCF_GREEN = 41,
    ORDER_SET_TEMPCF_BLUE = 42,
    ORDER_TEMPCOMP_START = 43,
    ORDER_GET_TEMPCF_RED = 44,
    ORDER_GET_TEMPCF_GREEN = 45,
    ORDER_GET_TEMPCF_BLUE = 46,
    ORDER_SET_ROOT_TABLE = 50,
    ORDER_GET_ROOT_TABLE = 51,
};

constexpr int kFactorBlocks = 10; // blocks of ten factors per channel
constexpr int kFactorsPerBlock = 10;
constexpr int kRootBlocks = 32; // blocks of eight cube-root entries
constexpr int kRootPerBlock = 8;
constexpr int kFactorReplyBytes = 2 * kTempPoints; // 200
constexpr int kRootHalf = kRootEntries / 2;        // 128 entries per reply
constexpr int kRootReplyBytes = 2 * kRootHalf;     // 256
constexpr int kDecodeWords = 300;

// Decode area of the long replies.
extern uint16_t pp[kDecodeWords];

// Each builder writes a whole 36-byte telegram into szWriteBuf: sync,
// order, word 2 and its payload; the words it does not define are zero.
void FillTxBuf(unsigned order, unsigned arg);
// Ten factors 10*block ... 10*block+9 of a channel (0 red, 1 green, 2 blue).
// Returns -1 (buffer untouched) for a block above 9 or an unknown channel.
int FillTxBufRGB(unsigned order, unsigned block, int channel);
// Eight cube-root entries 8*block ... 8*block+7. Returns -1 for a block above 31.
int FillTxBuf3rdRootX(unsigned order, unsigned block);

// Decode the factor reply (100 words) and the cube-root reply (128 words)
// from szReadBuf into pp.
void GetRxBufPara();
void GetRxBuf3rdRoot();
// pp words 0-99 into the read-back factor table of a channel.
void CopyPPtoVarsR();
void CopyPPtoVarsG();
void CopyPPtoVarsB();

} // namespace tempcomp
