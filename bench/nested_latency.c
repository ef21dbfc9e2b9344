/* nested_latency NAME OUT -- COMMAND [ARG...]
 *
 * Starts COMMAND with its standard output on a pipe and reads it for "DISPLAY=:N", the nested
 * screen the command opens; times from the start until a window titled NAME is viewable on
 * that screen (under a window manager, inside its frame). Appends the milliseconds to OUT,
 * ends COMMAND with SIGTERM and waits for its end. Exits 1 when no such window shows within
 * 30 s. Build: gcc -O2 -o nested_latency nested_latency.c -lX11
 */
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int ignore_errors(Display *d, XErrorEvent *e) {
    (void)d;
    (void)e;
    return 0;
}

/* True when WINDOW or a window below it is titled NAME and viewable. */
static int shows(Display *d, Window window, const char *name) {
    char *title = NULL;
    XWindowAttributes a;
    int found = XFetchName(d, window, &title) && title && strcmp(title, name) == 0 &&
                XGetWindowAttributes(d, window, &a) && a.map_state == IsViewable;
    if (title) XFree(title);
    Window root, parent, *children = NULL;
    unsigned count = 0;
    if (!found && XQueryTree(d, window, &root, &parent, &children, &count))
        for (unsigned i = 0; i < count && !found; i++) found = shows(d, children[i], name);
    if (children) XFree(children);
    return found;
}

int main(int argc, char **argv) {
    if (argc < 5 || strcmp(argv[3], "--") != 0) {
        fprintf(stderr, "usage: nested_latency NAME OUT -- COMMAND [ARG...]\n");
        return 2;
    }
    const char *name = argv[1];
    int out[2];
    if (pipe(out) != 0) return 2;
    const double start = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    close(out[1]);
    XSetErrorHandler(ignore_errors);

    /* The screen's name, from the command's output. */
    char text[4096] = "", *at = NULL;
    size_t length = 0;
    while (!(at = strstr(text, "DISPLAY=:")) || !strchr(at, '\n')) {
        struct pollfd p = {out[0], POLLIN, 0};
        if (now_ms() - start > 30000 || poll(&p, 1, 1000) < 0) break;
        ssize_t got = p.revents ? read(out[0], text + length, sizeof text - 1 - length) : 0;
        if (p.revents && got <= 0) break;
        length += got > 0 ? (size_t)got : 0;
        text[length] = 0;
    }
    double took = -1;
    Display *d = NULL;
    if (at) {
        *strchr(at, '\n') = 0;
        d = XOpenDisplay(at + strlen("DISPLAY="));
    }
    if (d) {
        /* Frames are the root's children; a client is mapped inside its frame. */
        XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
        XSync(d, False);
        if (shows(d, DefaultRootWindow(d), name)) took = now_ms() - start;
        while (took < 0 && now_ms() - start < 30000) {
            if (!XPending(d)) {
                struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
                poll(&p, 1, 100);
                continue;
            }
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == CreateNotify)
                XSelectInput(d, e.xcreatewindow.window, SubstructureNotifyMask);
            else if (e.type == MapNotify && shows(d, e.xmap.window, name))
                took = now_ms() - start;
        }
        XCloseDisplay(d);
    }
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    close(out[0]);
    if (took < 0) {
        fprintf(stderr, "nested_latency: no window titled %s was shown\n", name);
        return 1;
    }
    FILE *file = fopen(argv[2], "a");
    if (!file) return 2;
    fprintf(file, "%.1f\n", took);
    fclose(file);
    return 0;
}
