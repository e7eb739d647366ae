#pragma once

// What the component library shows a host. It is built with hidden symbols,
// so only the classes and functions of its public headers that carry this
// mark are exported; the same mark on the host's side keeps one type identity
// (type information, virtual tables) across the library boundary.
#define VIVAVAZURUV_EXPORT __attribute__((visibility("default")))
