// Telegram buffers and framing: every request to the sensor is 18 big-endian
// 16-bit words (36 bytes): sync, order, 16 payload words.
#pragma once

#include <cstdint>

constexpr int kBufSize = 1024;
constexpr int kTelegramWords = 18;
constexpr int kTelegramBytes = kTelegramWords * 2;
constexpr int kRows = 31;        // rows of the colour teach table
constexpr int kParaWords = 202;  // words of the parameter packet
constexpr int kVersionSize = 38; // 36 bytes of text and two zero bytes

// Orders of the main program.
enum : uint16_t {
    ORDER_SET_PARA = 1,
    ORDER_SET_ROW = 2,
    ORDER_GET_PARA = 3,
    ORDER_GET_ROW = 4,
    ORDER_GET_DATA = 5,
    ORDER_SAVE_EEPROM = 6,
    ORDER_GET_VERSION = 7,
    ORDER_LOAD_EEPROM = 8,
    ORDER_GET_RECDATA = 19,
};

// The framing globals live in a namespace because the name sync is also a
// system function; code that uses them says `using namespace com232;`.
namespace com232 {
extern char szWriteBuf[kBufSize];
extern char szReadBuf[kBufSize];
extern uint16_t sync;
extern uint16_t order;
extern uint16_t anzframe;
extern uint16_t anzpara;
extern uint16_t anzdata;
extern uint16_t databuf[kTelegramWords];
extern char version[kVersionSize];

// The parameter packet: 16 parameter words, then 31 rows of six words.
extern uint16_t pp[kParaWords];
} // namespace com232

void PutWord(char *buf, int byteOffset, uint16_t w);
uint16_t GetWord(const char *buf, int byteOffset);

// Builds the telegram for the order in szWriteBuf (nothing is sent). Orders 2
// and 4 carry a row number and keep the stale words of the last telegram;
// other orders carry pp words 0-15. Returns -1 (buffer untouched) for a row
// number above 30 with orders 2 and 4, else 0.
int FillTxBuf(unsigned order, unsigned arg);
// Decodes the reply in szReadBuf into pp words 0-17.
void GetRxBufPara();
// Decodes the reply in szReadBuf into databuf.
void GetRxBufData();
// Start-up values of the framing globals; clears the buffers (also for tests).
void InitTelegramGlobals();
