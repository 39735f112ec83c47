/* Connects to a Unix socket and sends one message, as any local process could.
 * Usage: knock SOCKET-PATH MESSAGE
 * Exit 0 when connected: the message was sent, or the other side had already closed the
 * connection (as a listener does at once with a peer it does not accept). Exit 1 when
 * there was no connection or the message could not be sent for another reason. */
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: knock SOCKET-PATH MESSAGE\n");
        return 2;
    }
    struct sockaddr_un address;
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, argv[1], sizeof address.sun_path - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || connect(fd, (struct sockaddr*)&address, sizeof address) != 0) {
        perror("knock");
        return 1;
    }
    ssize_t sent = send(fd, argv[2], strlen(argv[2]), MSG_NOSIGNAL);
    int closedByPeer = sent < 0 && (errno == EPIPE || errno == ECONNRESET);
    close(fd);
    return sent == (ssize_t)strlen(argv[2]) || closedByPeer ? 0 : 1;
}
