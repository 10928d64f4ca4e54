/* The floor for `zentova --count 1`: the same line on the same socket from
 * a plain C program that links nothing but the C library.
 * Usage: countclient SOCKET; status 0 when the strip accepted it. */
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    struct sockaddr_un address = {.sun_family = AF_UNIX};
    char reply[16] = {0};
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (argc != 2 || fd < 0 || strlen(argv[1]) >= sizeof address.sun_path)
        return 2;
    strcpy(address.sun_path, argv[1]);
    if (connect(fd, (struct sockaddr *)&address, sizeof address) != 0 ||
        write(fd, "count 1\n", 8) != 8 || read(fd, reply, sizeof reply - 1) <= 0)
        return 3;
    return reply[0] == 'o' && reply[1] == 'k' ? 0 : 1;
}
