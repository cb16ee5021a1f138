/* Meshes the model named on the command line through the installed library,
 * counting the messages it receives. */
#include <stdio.h>

#include <korvex/korvex.h>

static int message_count = 0;

static void on_message(const char* text) {
    (void)text;
    ++message_count;
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    char* args[] = {argv[0], argv[1]};
    SetMessageCallback(on_message);
    const int result = GenerateQuads(2, args);
    printf("consumer: result %d after %d messages\n", result, message_count);
    return result;
}
