#include "graphics/formats/graphics_exceptions.h"

#include <type_traits>

// The tree adds nothing to the base's layout: the dispatchers copy text and
// code out of any of them alike.
#define LINDAR_CHECK_FIXED(name, base, codeValue, message)                                  \
    static_assert(sizeof(name) == sizeof(EGraphicsException) && std::is_base_of_v<base, name> && \
                  !std::is_polymorphic_v<name>);
#define LINDAR_CHECK_FREE(name, base) LINDAR_CHECK_FIXED(name, base, 0, "")
LINDAR_GRAPHICS_EXCEPTIONS(LINDAR_CHECK_FIXED, LINDAR_CHECK_FREE)
#undef LINDAR_CHECK_FIXED
#undef LINDAR_CHECK_FREE

EGraphicsException::EGraphicsException(const char* message, int32_t codeValue) : code(codeValue)
{
    int n = 0;
    if (message)
        for (; n < kTextSize - 1 && message[n]; ++n)
            text[n] = message[n];
    text[n] = '\0';
}

void ThrowCreateError(int error)
{
    switch (error) {
    case 1: throw EGraphicsPicSize();
    case 2: throw EGraphicsWrongColor();
    case 3: throw EGraphicsMemory();
    default: throw EGraphicsException("Unknown error");
    }
}
