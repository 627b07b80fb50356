/*
 * Port access library: raw I/O-port access and arbitration of the parallel
 * ports between processes. C linkage, plain names only (ELF has no stdcall
 * decoration), 32-bit arguments and results.
 */
#ifndef LPTBRIDGE_H
#define LPTBRIDGE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(LPTBRIDGE_BUILDING)
#define LPTBRIDGE_API __attribute__((visibility("default")))
#else
#define LPTBRIDGE_API
#endif

/* Filled by GetParallelPortInfo; the caller sets structSize (1 to 4095) first. */
typedef struct ParallelPortInfo {
  uint32_t structSize;
  uint32_t portAddress; /* base I/O address, the data register */
  uint32_t irq;         /* the enumerator's third field */
} ParallelPortInfo;

/* Last-error values of a refused claim or enable-range. */
#define LPTBRIDGE_ERROR_PORT_HELD 0x00200001u
#define LPTBRIDGE_ERROR_REFUSED 0x00200002u

/* Ports are numbered from 1. Nonzero on success, 0 on failure. */
LPTBRIDGE_API int32_t ClaimParallelPort(int32_t port, int32_t value);
LPTBRIDGE_API int32_t ClaimParallelPortEx(uint32_t process, int32_t port, int32_t value);
LPTBRIDGE_API int32_t EnableIOPortRange(uint32_t process, int32_t first, int32_t second);
LPTBRIDGE_API int32_t GetParallelPortCount(void);
LPTBRIDGE_API int32_t GetParallelPortInfo(int32_t port, ParallelPortInfo* record);
LPTBRIDGE_API int32_t ReleaseParallelPort(int32_t port);

/* One port instruction each on the low 16 bits of the address. */
LPTBRIDGE_API int32_t InByte(int32_t port);  /* sign-extended from bit 7 */
LPTBRIDGE_API int32_t InWord(int32_t port);  /* zero-extended */
LPTBRIDGE_API int32_t InDWord(int32_t port);
LPTBRIDGE_API void OutByte(int32_t port, int32_t value);
LPTBRIDGE_API void OutWord(int32_t port, int32_t value);
LPTBRIDGE_API void OutDWord(int32_t port, int32_t value);

#ifdef __cplusplus
}
#endif

#endif
