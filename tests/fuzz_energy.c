/* libFuzzer target: any bytes as the speed field's text. Besides the
   sanitizers' checks, the result must always be well-formed "%f" text. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "energy.h"

/* The dialog hands over at most 65,534 characters, NUL-terminated. */
#define FIELD_MAX 65534

static int IsResultText(const char *s)
{
    const char *p = s;
    size_t digits = 0;

    if (strcmp(s, "inf") == 0 || strcmp(s, "nan") == 0)
        return 1;
    if (*p == '-')
        ++p;
    while (*p >= '0' && *p <= '9')
        ++p, ++digits;
    if (digits == 0 || *p++ != '.')
        return 0;
    return strlen(p) == 6 && strspn(p, "0123456789") == 6;
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char out[ENERGY_TEXT_MAX];
    char *text;

    if (size > FIELD_MAX)
        size = FIELD_MAX;
    text = malloc(size + 1);
    memcpy(text, data, size);
    text[size] = '\0';
    FormatEnergy(text, out, sizeof out);
    if (!IsResultText(out) || strlen(out) >= sizeof out - 1)
        abort();
    free(text);
    return 0;
}
