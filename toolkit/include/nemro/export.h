// What the component's shared library exports: the library is built with hidden
// visibility, so only declarations marked NEMRO_API are part of its interface.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define NEMRO_API __attribute__((visibility("default")))
#else
#define NEMRO_API
#endif
