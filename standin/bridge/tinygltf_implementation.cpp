// The glTF library's implementation, compiled into the bridge library so that it needs no other
// module at run time and lends none of these symbols to the process. Images are files of their
// own here, never decoded or encoded (the TINYGLTF_NO_* definitions come with the target).
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
