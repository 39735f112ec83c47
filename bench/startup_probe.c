/* Times a program from its start to the moment a chosen screen pixel takes a chosen
 * colour: for Pemdaro, the grey of a period bar in the first painted month. The pixel is
 * read from the root window of a 24-bit display every millisecond. The program is then
 * ended with SIGTERM (SIGKILL after 20 s) and waited for. One line is printed:
 *
 *   START_MS RSS_KB PEAK_RSS_KB CLOSE_MS
 *
 * the time from fork to the first match, the program's resident memory at that moment
 * (VmRSS of /proc/PID/status), its peak resident memory over its whole life (ru_maxrss of
 * wait4, so including its close), and the time from SIGTERM until it had ended.
 *
 * Usage: startup_probe X Y R,G,B TIMEOUT_SECONDS PROGRAM [ARGS...]
 * Exit status 0 when the pixel was seen, 1 otherwise. */
#define _DEFAULT_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
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

/* The child's resident memory now, in KiB (VmRSS); -1 when it cannot be read. */
static long ResidentKb(pid_t child) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)child);
    FILE* status = fopen(path, "r");
    if (status == NULL) {
        return -1;
    }
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, status) != NULL) {
        if (strncmp(line, "VmRSS:", 6) == 0) {
            kb = atol(line + 6);
            break;
        }
    }
    fclose(status);
    return kb;
}

/* Ends the child: SIGTERM, then SIGKILL when it has not gone after 20 s. Gives the time
 * it took in milliseconds and its peak resident memory in KiB. */
static void EndChild(pid_t child, double* closeMs, long* peakKb) {
    struct rusage usage;
    memset(&usage, 0, sizeof usage);
    const double start = Now();
    kill(child, SIGTERM);
    int i = 0;
    for (; i < 20000; ++i) {
        if (wait4(child, NULL, WNOHANG, &usage) == child) {
            break;
        }
        SleepMs(1);
    }
    if (i == 20000) {
        kill(child, SIGKILL);
        wait4(child, NULL, 0, &usage);
    }
    *closeMs = Now() - start;
    *peakKb = usage.ru_maxrss;
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
    long rssKb = -1;
    while ((elapsed = Now() - start) < timeout) {
        if (PixelAt(display, x, y) == wanted) {
            seen = 1;
            rssKb = ResidentKb(child);
            break;
        }
        if (waitpid(child, NULL, WNOHANG) == child) {
            fprintf(stderr, "startup_probe: the program ended before the pixel turned\n");
            XCloseDisplay(display);
            return 1;
        }
        SleepMs(1);
    }
    if (!seen) {
        fprintf(stderr, "startup_probe: the pixel did not turn within the timeout\n");
    }
    double closeMs = 0;
    long peakKb = 0;
    EndChild(child, &closeMs, &peakKb);
    if (seen) {
        printf("%.1f %ld %ld %.1f\n", elapsed, rssKb, peakKb, closeMs);
    }
    fflush(stdout);
    XCloseDisplay(display);
    return seen ? 0 : 1;
}
