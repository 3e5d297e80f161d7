#pragma once

// What the engine does to its process, once, in the first XL_Init.

namespace tessal::xldl {

// Initialises libaria2 on the calling thread and puts back the locale categories and the
// message domain it sets, so the program's locale stays the one it chose; and ignores SIGPIPE
// process-wide (unless the program handles it itself), since aria2 runs without its own
// signal handler and a write to a connection the server reset would end the client.
void SetUpLibraryOnce();

}  // namespace tessal::xldl
