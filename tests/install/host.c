/* A C host built with the flags pkg-config gives for the installed library. */
#include <stdio.h>

#include "nemro/nemro_c.h"

int main(void) {
    char* text = NULL;
    nemro_error error = {0, NULL, NULL, 0, 0};
    nemro_expression* expression = nemro_expression_new();
    if (nemro_expression_evaluate(expression, "1+2", &text, NULL, &error) != 0) return 1;
    printf("%s %s\n", nemro_version(), text);
    nemro_free(text);
    nemro_expression_free(expression);
    return 0;
}
