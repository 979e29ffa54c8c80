/* The functions openNURBS calls on Windows under mingw-w64 that its runtime
   does not have by these names (see CMakeLists.txt). */
#include <rpc.h>
#include <stdio.h>

/* The UUID creation's Linux branch: a new random UUID from Windows, in
   ON_UUID's own layout. */
void uuid_generate(unsigned char out[16]) {
  UUID id;
  if (UuidCreate(&id) != RPC_S_OK) {
    ZeroMemory(out, 16);
    return;
  }
  CopyMemory(out, &id, 16);
}

/* The POSIX name the non-Microsoft branch calls. */
int fcloseall(void) { return _fcloseall(); }
