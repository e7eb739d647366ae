#pragma once

// Symbols of the component library that a host links directly. The library is
// also loaded at run time as a plugin, so the same symbols stay visible there.
#if defined(VIVAVAZURUV_BUILDING_COMPONENT)
#define VIVAVAZURUV_EXPORT __attribute__((visibility("default")))
#else
#define VIVAVAZURUV_EXPORT
#endif
