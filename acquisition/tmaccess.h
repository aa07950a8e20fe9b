#pragma once

/*
 * The telemechanics access library "tmaccess": the four functions through which the program
 * reaches a telemechanics server. The library itself lies outside the program ("tmaccess.dll"
 * on Windows, "libtmaccess.so" elsewhere) and is loaded at run time; this header only states
 * the contract that the program relies on. tools/tmaccess_sim.cpp is a replacement library
 * with the same contract that simulates a server from a points file.
 *
 * Texts are zero-terminated Windows-1251 bytes. Numbers are 16-bit; the record lists are
 * packed arrays of 16-bit fields in the machine's byte order.
 */

#include <stdint.h>

#if defined(_WIN32)
#define TMACCESS_CALL __stdcall
#else
#define TMACCESS_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* One record of the status request list: which point to report. */
typedef struct TmStatusRequest {
    int16_t channel; /* channel number, 0..256 */
    int16_t rtu;     /* RTU number, 1..256 */
    int16_t point;   /* TS point number, 1..256 */
} TmStatusRequest;

/* One record of the status result list, answering the request record at the same index. */
typedef struct TmStatusResult {
    int16_t value;   /* the program reads only its first byte (offset 0), as a signed 8-bit number */
    uint16_t status; /* status word, see the TM_STATUS_ values */
} TmStatusResult;

#pragma pack(pop)

/* Object kind of a TS point for tmGetObjectName. */
#define TM_OBJECT_TS 0x8000u
/* Size of the name buffer the program passes to tmGetObjectName. */
#define TM_NAME_SIZE 80

/* Status word: the whole word 0xFFFF means that the server has no valid data for the point. */
#define TM_STATUS_ERROR 0xFFFFu
/* Status word bits. */
#define TM_STATUS_UNRELIABLE_HDW 0x0001u
#define TM_STATUS_UNRELIABLE_MANUAL 0x0002u

/*
 * Connects to the server `server_name` (alias\gateway) as the client `client_name`.
 * Exactly 1 means that the link is established; any other value is a failure.
 */
int16_t TMACCESS_CALL tmInit(const char* server_name, const char* client_name);

/* Closes the link. */
void TMACCESS_CALL tmClose(void);

/*
 * Fills `count` result records, record i answering request record i. The program does not use
 * the return value: failures show only in the status words.
 */
int16_t TMACCESS_CALL tmStatusByList(int16_t count, const TmStatusRequest* request, TmStatusResult* result);

/*
 * The name of one object. Greater than 0: `buffer` holds the name, zero-terminated when it is
 * shorter than `size`; 0 or less: no name.
 */
int16_t TMACCESS_CALL tmGetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point,
                                      char* buffer, int16_t size);

/* The same functions as pointer types, for loading the library at run time. */
typedef int16_t(TMACCESS_CALL* TmInitFn)(const char*, const char*);
typedef void(TMACCESS_CALL* TmCloseFn)(void);
typedef int16_t(TMACCESS_CALL* TmStatusByListFn)(int16_t, const TmStatusRequest*, TmStatusResult*);
typedef int16_t(TMACCESS_CALL* TmGetObjectNameFn)(uint16_t, int16_t, int16_t, int16_t, char*, int16_t);

#ifdef __cplusplus
}
#endif
