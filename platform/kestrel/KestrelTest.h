/* A seam of the gateway library for tests only: failures that a live agent
 * cannot be made to produce on demand. Not used by the programs. */
#ifndef LUMET_KESTREL_TEST_H
#define LUMET_KESTREL_TEST_H

#include "Kestrel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The next count MIBSend calls of this process for packets of the given
 * request kind (MIB_KIND_GET or MIB_KIND_WALK) send nothing and return
 * result with error number error_no. A count of 0 ends an injection. */
KESTREL_API void MIBTestFailSends(int kind, int count, int result, int error_no);

#ifdef __cplusplus
}
#endif

#endif
