// The program's message strings, translated when a language table is loaded.
#pragma once

const int kMessageBufferSize = 256;
const int kMessageRingSize = 8;

// Text of message string id. The result lives in a ring of 8 buffers of 256
// characters: it stays valid through the next seven calls and is
// overwritten by the eighth. Copy it to keep it longer.
const char* GetLangString(int id);
