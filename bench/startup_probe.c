/* Times a program from its start to the moment a chosen screen pixel takes a chosen
 * colour: for Pemdaro, the grey of a period bar in the first painted month. The pixel is
 * read from the root window of a 24-bit display every millisecond; the time from fork to
 * the first match is printed in milliseconds. The program is then ended with SIGTERM
 * (SIGKILL after 20 s) and waited for.
 *
 * Usage: startup_probe X Y R,G,B TIMEOUT_SECONDS PROGRAM [ARGS...]
 * Exit status 0 when the pixel was seen, 1 otherwise. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

static void SleepMs(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}

static unsigned long PixelAt(Display* display, int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == NULL) {
        return ~0UL;
    }
    unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFUL;
    XDestroyImage(image);
    return pixel;
}

/* Ends the child: SIGTERM, then SIGKILL when it has not gone after 20 s. */
static void EndChild(pid_t child) {
    kill(child, SIGTERM);
    for (int i = 0; i < 2000; ++i) {
        if (waitpid(child, NULL, WNOHANG) == child) {
            return;
        }
        SleepMs(10);
    }
    kill(child, SIGKILL);
    waitpid(child, NULL, 0);
}

int main(int argc, char** argv) {
    unsigned r, g, b;
    if (argc < 6 || sscanf(argv[3], "%u,%u,%u", &r, &g, &b) != 3) {
        fprintf(stderr, "usage: startup_probe X Y R,G,B TIMEOUT_SECONDS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int x = atoi(argv[1]);
    const int y = atoi(argv[2]);
    const unsigned long wanted = ((unsigned long)r << 16) | (g << 8) | b;
    const double timeout = atof(argv[4]) * 1000.0;

    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "startup_probe: cannot open display\n");
        return 2;
    }
    if (PixelAt(display, x, y) == wanted) {
        fprintf(stderr, "startup_probe: the pixel has that colour before the start\n");
        return 2;
    }

    const double start = Now();
    pid_t child = fork();
    if (child == 0) {
        execvp(argv[5], argv + 5);
        perror("startup_probe: exec");
        _exit(127);
    }
    int seen = 0;
    double elapsed = 0;
    while ((elapsed = Now() - start) < timeout) {
        if (PixelAt(display, x, y) == wanted) {
            seen = 1;
            break;
        }
        if (waitpid(child, NULL, WNOHANG) == child) {
            fprintf(stderr, "startup_probe: the program ended before the pixel turned\n");
            XCloseDisplay(display);
            return 1;
        }
        SleepMs(1);
    }
    if (seen) {
        printf("%.1f\n", elapsed);
    } else {
        fprintf(stderr, "startup_probe: the pixel did not turn within the timeout\n");
    }
    fflush(stdout);
    EndChild(child);
    XCloseDisplay(display);
    return seen ? 0 : 1;
}
