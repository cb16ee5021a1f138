/* A plain C host: the public header compiles as C, the library links from C,
   and a model copied into the working folder meshes through the callback. */
#include <stdio.h>
#include <string.h>

#include "korvex/korvex.h"

static int messages = 0;
static char last[256];

static void on_message(const char* text) {
    ++messages;
    strncpy(last, text, sizeof last - 1);
}

static int copy_file(const char* from, const char* to) {
    FILE* in = fopen(from, "rb");
    FILE* out = in ? fopen(to, "wb") : NULL;
    char buffer[4096];
    size_t n;
    if (!out) {
        if (in) fclose(in);
        return 0;
    }
    while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) fwrite(buffer, 1, n, out);
    fclose(in);
    return fclose(out) == 0;
}

int main(int argc, char** argv) {
    char model[] = "c_host_model.sur";
    char name[] = "c_host";
    char* args[] = {name, model};
    if (argc != 2 || !copy_file(argv[1], model)) {
        fprintf(stderr, "usage: c_host MODEL.sur (copied into the working folder)\n");
        return 2;
    }
    SetMessageCallback(on_message);
    SetMeshParameters(false, 200, 150, 150, 1000000);
    if (GenerateQuads(2, args) != 0 || messages == 0 || strcmp(last, "Fatal error occurred") == 0) {
        fprintf(stderr, "meshing failed after %d messages; last: %s\n", messages, last);
        return 1;
    }
    /* Without a callback, a wrong argument count fails and reports on stdout. */
    SetMessageCallback(NULL);
    if (GenerateQuads(1, args) != 1) return 1;
    printf("\nC host: %d messages, mesh written\n", messages);
    return 0;
}
