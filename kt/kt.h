/* The Cyrillic transcoding library: converts Cyrillic letters between the
   stored form of the game's files (each letter at the Latin-1 code point of
   its Windows-1251 code, UTF-8 encoded) and the edit form (real Cyrillic code
   points, UTF-8 encoded). Both operations work in place, two bytes for two
   bytes, keep no state and return the length. */
#ifndef GLOSSMITH_KT_H
#define GLOSSMITH_KT_H

#include <stdint.h>

#if defined(_WIN32)
#define KT_CALL __stdcall
#else
#define KT_CALL
#define KT_EXPORT __attribute__((visibility("default")))
#endif
#ifndef KT_EXPORT
#define KT_EXPORT /* exported through kt.def */
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Stored form to edit form. */
KT_EXPORT int32_t KT_CALL DeCoder(uint8_t* buffer, uint32_t length);
/* Edit form to stored form. */
KT_EXPORT int32_t KT_CALL ReCoder(uint8_t* buffer, uint32_t length);

typedef int32_t(KT_CALL* KtConvertFn)(uint8_t* buffer, uint32_t length);

#ifdef __cplusplus
}
#endif

#endif
