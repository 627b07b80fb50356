/*
 * Loads the port access library by file name, as any client would, lists the
 * parallel ports it reports and reads each port's status register under a
 * claim. Uses nothing but the standard headers and <dlfcn.h>.
 *
 *   lptprobe PATH/libLptBridge.so
 */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

typedef struct {
  uint32_t structSize;
  uint32_t portAddress;
  uint32_t third;
} PortRecord;

typedef int32_t (*CountFn)(void);
typedef int32_t (*InfoFn)(int32_t, PortRecord*);
typedef int32_t (*ClaimFn)(int32_t, int32_t);
typedef int32_t (*ReleaseFn)(int32_t);
typedef int32_t (*InByteFn)(int32_t);
typedef void (*OutByteFn)(int32_t, int32_t);

static void* Entry(void* library, const char* name) {
  void* entry = dlsym(library, name);
  if (!entry) fprintf(stderr, "lptprobe: the library has no entry point %s\n", name);
  return entry;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: lptprobe PATH/libLptBridge.so\n");
    return 2;
  }
  void* library = dlopen(argv[1], RTLD_NOW);
  if (!library) {
    fprintf(stderr, "lptprobe: %s\n", dlerror());
    return 2;
  }
  CountFn count;
  InfoFn info;
  ClaimFn claim;
  ReleaseFn release;
  InByteFn inByte;
  OutByteFn outByte;
  *(void**)&count = Entry(library, "GetParallelPortCount");
  *(void**)&info = Entry(library, "GetParallelPortInfo");
  *(void**)&claim = Entry(library, "ClaimParallelPort");
  *(void**)&release = Entry(library, "ReleaseParallelPort");
  *(void**)&inByte = Entry(library, "InByte");
  *(void**)&outByte = Entry(library, "OutByte");
  if (!count || !info || !claim || !release || !inByte || !outByte) return 2;

  const int32_t ports = count();
  printf("parallel ports: %d\n", (int)ports);
  int failures = 0;
  for (int32_t port = 1; port <= ports; ++port) {
    PortRecord record;
    memset(&record, 0, sizeof record);
    record.structSize = sizeof record;
    if (!info(port, &record)) {
      printf("LPT%d: no information\n", (int)port);
      ++failures;
      continue;
    }
    const int32_t base = (int32_t)(record.portAddress & 0xFFFF);
    if (!claim(port, -1)) {
      printf("LPT%d at 0x%X: claim refused\n", (int)port, (unsigned)base);
      ++failures;
      continue;
    }
    const int32_t data = inByte(base) & 0xFF;
    outByte(base, data);
    const int32_t status = inByte(base + 1) & 0xFF;
    printf("LPT%d at 0x%X: data 0x%02X, status 0x%02X\n", (int)port, (unsigned)base, (unsigned)data,
           (unsigned)status);
    if (!release(port)) {
      printf("LPT%d: release failed\n", (int)port);
      ++failures;
    }
  }
  dlclose(library);
  return failures ? 1 : 0;
}
