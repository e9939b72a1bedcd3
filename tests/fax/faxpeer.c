/* A fax receiver on a pseudo-terminal, for the fax sender's tests: the
 * terminal's far end answers AT commands as a Class 1 fax modem, and the
 * modem's audio goes, in memory, to a fax machine in receive mode that stores
 * the pages it gets as a TIFF file. Each call placed to it plays the next
 * part of a script: "ok" (answer and receive), "busy", "noanswer",
 * "hangup" (answer, then hang up three seconds into the first page), or
 * "leave" (answer and receive, then close the terminal and end the moment
 * the fax has been received, before the sender hangs up). A part may carry
 * settings of the call after a "+" each:
 *   v17, v29, v27   the modems the machine offers (default: all three)
 *   scan=MS         its minimum scan line time: 0, 5, 10, 20 or 40 ms
 *   missdcs         the machine does not hear the first DCS, and so sends
 *                   its capabilities again
 *   nofcs           the modem does not pass the frames' check sequence on
 *   jitter=DEG      the line between the two shifts the phase of what it
 *                   carries by up to DEG degrees, 120 times a second (the
 *                   jitter of analogue carrier systems, picked up from the
 *                   mains): at 5.8 the training at 14,400 bit/s fails and
 *                   12,000 carries the page, nearly always clean (a narrow
 *                   band: at 5.25 14,400 often passes and damages rows, at
 *                   6 12,000 now and then damages one, and at 5.8 it has
 *                   lost one unseen); at 8 V.29 at 9,600 does
 *   bursts=MS       bursts of noise on the line (-15 dBm0), MS ms long,
 *                   once a second while a page's data comes (from a second
 *                   and a half after its data command, past the training),
 *                   as impulse noise on a real line: rows of a page
 *                   without error correction are damaged at any speed
 *   rtn=BPS         louder bursts (-3 dBm0, 200 ms unless bursts= says
 *                   otherwise), only on pages sent at BPS bit/s or faster,
 *                   so that the machine answers RTN; a page sent slower
 *                   arrives clean and gets MCF
 *   ecm             the machine offers error correction (frames of 256 bytes)
 *   1d              the machine reads one-dimensional coding only (it reads
 *                   two-dimensional coding too unless told so)
 * and settings of the modem, which it has from the end of the call before
 * (or from the start) until the sender changes them:
 *   v0, q1          result codes as numbers, or none at all (with echo on)
 *   noflow          no flow control: the modem takes what the computer
 *                   sends at the port's 19,200 bit/s and drops what
 *                   overruns its buffer, until the sender turns flow
 *                   control on (+IFC=2,2, &K3, \Q3 or &H1&R2)
 *   noifc           the modem does not know +IFC (ERROR)
 *   noftmquery      the modem refuses AT+FTM=?
 * for example "ok+v29+scan=20", "ok+missdcs" or "ok+jitter=5.8".
 *
 *   faxpeer LINK OUTPREFIX SCRIPT [SPEED]
 *
 * LINK becomes a symbolic link to the terminal's device; call N is stored in
 * OUTPREFIX-N.tif and its outcome is printed as "call N: ..." on stdout. The
 * audio runs SPEED times faster than real time (default 1). The program ends
 * after the last call of the script, or when it is stopped. With FAXPEER_TRACE
 * set it also prints the dialogue with the computer (its commands, the ends
 * of its data, the modem's answers), each line at the audio's time and the
 * clock's; FAXPEER_LOG adds the fax machine's and the modem's own logs. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <math.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#define SPANDSP_EXPOSE_INTERNAL_STRUCTURES
#include <spandsp.h>

#define DLE 0x10
#define ETX 0x03
#define SAMPLES 160 /* 20 ms of audio at 8000 samples a second */

static int master = -1;
static t31_state_t *modem;
static fax_state_t *machine;
static int cts = 1;
static char script[16][96];
static int script_len;
static int call_number; /* calls placed so far */
static const char *out_prefix;
static const char *link_path;
static long long now_samples;
static long long event_at = -1; /* when the pending call event happens */
static int pending_event;
static int in_call;      /* the fax machine's audio is joined to the modem */
static int call_done;    /* the machine has reached its end */
static long long hangup_at = -1;
static long long finished_at = -1;
static int miss_dcs;        /* 1: the first DCS is still to be missed; 2: it is going by */
static int no_fcs;
static int frames_to_dte;   /* the modem's answers carry received frames */
static int in_frame;        /* between CONNECT and DLE ETX of such a frame */
static char line_out[64], line_in[64]; /* the line each way so far */
static int no_flow;                    /* the modem has no flow control ... */
static int flow_on;                    /* ... until the sender turned it on */
static int no_ifc, no_ftm_query;
static double port_credit;        /* bytes the port can carry by now, without flow control */
static long dropped;              /* bytes lost in the modem's full buffer in this call */
static int setup_pending;         /* the modem's settings for the next call are due */
static int swallow_output;        /* the modem's answers to those settings go nowhere */
static int burst_ms;              /* the noise: bursts this long once a second; 0: none */
static int noise_rate;            /* on pages at this rate or faster */
static long long noise_from = -1; /* the page's noise, from then until its data ends */
static int hangup_pending; /* the line dropped; the modem is told at the next command */
static int tcf_next;              /* the next data command is the training check */
static awgn_state_t *line_noise, *soft_noise, *loud_noise; /* the call's, of the two */
static uint8_t held[2][2]; /* the frame's last two bytes, each as sent (a DLE doubled) */
static int held_count, held_size[2], dle_pending;
static int trace;           /* FAXPEER_TRACE: the dialogue with the computer, timed */
static char answer_line[64]; /* the modem's answer so far */
static char data_seen[32];   /* the first bytes of the computer's data since its command */
static int data_count;

/* One line of the dialogue, at the audio's time and the clock's. */
static void trace_line(const char *who, const char *line) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    printf("trace %lld ms audio, %lld ms clock: %s %s\n", now_samples / 8,
           (long long) now.tv_sec * 1000 + now.tv_nsec / 1000000, who, line);
    fflush(stdout);
}

/* The computer's data, traced at its DLE ETX: its size and first bytes. */
static void trace_data(uint8_t c) {
    static int after_dle;
    if (after_dle && c == ETX) {
        char what[64];
        snprintf(what, sizeof what, "data of %d bytes:%s", data_count, data_seen);
        trace_line("computer:", what);
        data_count = 0;
        data_seen[0] = '\0';
    } else if (!after_dle && c != DLE && ++data_count <= 4) {
        snprintf(data_seen + strlen(data_seen), 5, " %02x", c);
    } else if (after_dle) {
        data_count++; /* a doubled DLE */
    }
    after_dle = !after_dle && c == DLE;
}

/* One direction of a line with phase jitter: the signal's quadrature
 * (a Hilbert filter) turns it by the jitter's phase at each sample. */
#define HILBERT_TAPS 63
typedef struct {
    float history[HILBERT_TAPS];
    int at;
    double jitter_phase;
} line_t;
static float hilbert[HILBERT_TAPS];
static line_t line_to_machine, line_to_modem;
static double jitter_peak; /* in radians; 0 for a clean line */

static void line_reset(double peak_degrees) {
    for (int k = 0; k < HILBERT_TAPS; k++) {
        int m = k - HILBERT_TAPS / 2;
        double window = 0.54 - 0.46 * cos(2 * M_PI * k / (HILBERT_TAPS - 1));
        hilbert[k] = m % 2 ? (float) (2 / (M_PI * m) * window) : 0.0f;
    }
    memset(&line_to_machine, 0, sizeof line_to_machine);
    memset(&line_to_modem, 0, sizeof line_to_modem);
    line_to_modem.jitter_phase = M_PI / 3; /* the two ways are not in step */
    jitter_peak = peak_degrees * M_PI / 180;
}

static void line_carry(line_t *line, int16_t *amp, int len) {
    if (jitter_peak == 0) return;
    for (int i = 0; i < len; i++) {
        line->history[line->at] = amp[i];
        float quadrature = 0;
        for (int k = 0; k < HILBERT_TAPS; k++)
            quadrature += hilbert[k] * line->history[(line->at + HILBERT_TAPS - k) % HILBERT_TAPS];
        float in_phase = line->history[(line->at + HILBERT_TAPS - HILBERT_TAPS / 2) % HILBERT_TAPS];
        line->at = (line->at + 1) % HILBERT_TAPS;
        line->jitter_phase += 2 * M_PI * 120 / 8000;
        double turn = jitter_peak * sin(line->jitter_phase);
        float out = in_phase * (float) cos(turn) - quadrature * (float) sin(turn);
        amp[i] = (int16_t) (out > 32767 ? 32767 : out < -32768 ? -32768 : out);
    }
}

/* The part of the script for call N (from 1). */
static const char *part_of(int n) {
    return n >= 1 && n <= script_len ? script[n - 1] : "ok";
}

static const char *part(void) {
    return part_of(call_number);
}

/* The part's behaviour: its first word. */
static const char *behaviour(void) {
    static char word[96];
    snprintf(word, sizeof word, "%s", part());
    word[strcspn(word, "+")] = '\0';
    return word;
}

/* The value of setting NAME in PART ("" for a flag), or NULL. */
static const char *setting_of(const char *part, const char *name) {
    static char value[96];
    size_t len = strlen(name);
    for (const char *at = strchr(part, '+'); at; at = strchr(at + 1, '+')) {
        if (strncmp(at + 1, name, len) != 0) continue;
        if (at[1 + len] == '=') {
            snprintf(value, sizeof value, "%s", at + 2 + len);
            value[strcspn(value, "+")] = '\0';
            return value;
        }
        if (at[1 + len] == '+' || at[1 + len] == '\0') return "";
    }
    return NULL;
}

static const char *setting(const char *name) {
    return setting_of(part(), name);
}

/* Adds a character to a line (of which the last 63 are kept); true at its
 * end, with the line in LINE. */
static int line_ends(char *line, char c) {
    size_t n = strlen(line);
    if (c == '\r' || c == '\n') return n > 0;
    if (c == '\0') return 0;
    if (n == 63) memmove(line, line + 1, n--);
    line[n] = c;
    line[n + 1] = '\0';
    return 0;
}

static int write_all(const uint8_t *buf, size_t len) {
    while (len > 0) {
        ssize_t n = write(master, buf, len);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return -1;
        }
        buf += n;
        len -= (size_t) n;
    }
    return 0;
}

/* What the modem sends the computer. A modem that keeps the check sequence
 * to itself holds back the last two bytes of each frame and drops them at
 * its DLE ETX. */
static int at_tx(at_state_t *s, void *user, const uint8_t *buf, size_t len) {
    (void) s;
    (void) user;
    if (swallow_output) return 0;
    for (size_t i = 0; trace && i < len; i++) {
        if (buf[i] != '\r' && buf[i] != '\n') {
            line_ends(answer_line, (char) buf[i]);
        } else if (answer_line[0]) {
            if (strspn(answer_line, "+ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 =,.") ==
                strlen(answer_line))
                trace_line("modem:", answer_line);
            answer_line[0] = '\0';
        }
    }
    if (!no_fcs) return write_all(buf, len);
    for (size_t i = 0; i < len; i++) {
        uint8_t c = buf[i];
        if (!in_frame) {
            if (write_all(&c, 1) < 0) return -1;
            if (line_ends(line_out, (char) c)) {
                in_frame = frames_to_dte && strcmp(line_out, "CONNECT") == 0;
                held_count = dle_pending = 0;
                line_out[0] = '\0';
            }
            continue;
        }
        uint8_t unit[2] = {c, 0};
        int size = 1;
        if (dle_pending) {
            dle_pending = 0;
            if (c == ETX) {
                static const uint8_t end[2] = {DLE, ETX};
                if (write_all(end, 2) < 0) return -1;
                in_frame = 0;
                continue;
            }
            unit[0] = DLE;
            unit[1] = c;
            size = 2;
        } else if (c == DLE) {
            dle_pending = 1;
            continue;
        }
        if (held_count == 2) {
            if (write_all(held[0], (size_t) held_size[0]) < 0) return -1;
            memcpy(held[0], held[1], 2);
            held_size[0] = held_size[1];
            held_count = 1;
        }
        memcpy(held[held_count], unit, 2);
        held_size[held_count++] = size;
    }
    return 0;
}

/* Hands what the computer sent to the modem. Commands the modem does not
 * know are changed so that it says ERROR (it says OK to any unknown
 * extended command). A dial or a frame command says that frames follow;
 * the first frame command is the DCS that a machine which misses it does
 * not hear, up to the command after it. */
static void from_dte(char *buf, ssize_t len) {
    for (ssize_t i = 0; i < len; i++) {
        if (trace) trace_data((uint8_t) buf[i]);
        size_t n = strlen(line_in);
        if (no_ftm_query && buf[i] == '?' && n >= 5 && strcmp(line_in + n - 5, "+FTM=") == 0)
            buf[i] = 'X';
        int ends = line_ends(line_in, buf[i]);
        if (ends && trace && strstr(line_in, "AT")) {
            trace_line("computer:", strstr(line_in, "AT"));
            data_count = 0;
            data_seen[0] = '\0';
        }
        if (ends && hangup_pending && strncmp(line_in, "AT+F", 4) == 0) {
            /* The command that needs the line gets NO CARRIER instead. */
            static const char no_carrier[] = "\r\nNO CARRIER\r\n";
            hangup_pending = 0;
            swallow_output = 1;
            for (size_t k = 2; k < strlen(line_in); k++) t31_at_rx(modem, "\b", 1);
            t31_at_rx(modem, "\r", 1);
            t31_call_event(modem, AT_CALL_EVENT_HANGUP);
            swallow_output = 0;
            write_all((const uint8_t *) no_carrier, strlen(no_carrier));
            line_in[0] = '\0';
            continue;
        }
        if (ends && no_ifc && buf[i] == '\r' && strncmp(line_in, "AT+IFC", 6) == 0) {
            /* The line is taken back to its AT and made one that fails. */
            static const char fail[] = "+FTM=X";
            for (size_t k = 2; k < strlen(line_in); k++) t31_at_rx(modem, "\b", 1);
            t31_at_rx(modem, fail, (int) strlen(fail));
        }
        t31_at_rx(modem, buf + i, 1);
        if (!ends) continue;
        if (no_flow && !flow_on &&
            ((strstr(line_in, "+IFC=2,2") && !no_ifc) || strstr(line_in, "&K3") ||
             strstr(line_in, "\\Q3") || strstr(line_in, "&H1&R2"))) {
            flow_on = 1;
            printf("call %d: flow control turned on by %s\n", call_number + 1, line_in);
            fflush(stdout);
        }
        /* A page's data, not the training check after DCS, gets the noise,
         * from when its training is over until the next command (which
         * the computer sends once the data has gone): the noise must not
         * hide the end of the carrier. */
        if (strncmp(line_in, "AT+F", 4) == 0) noise_from = -1;
        if (strncmp(line_in, "AT+FTM=", 7) == 0 && line_in[7] != '?') {
            /* 24, 48, 72 to 74, 96 to 98, 121 and 122, 145 and 146 */
            int rate = atoi(line_in + 7) / 24 * 2400;
            if (!tcf_next && burst_ms > 0 && rate >= noise_rate)
                noise_from = now_samples + 12000;
            tcf_next = 0;
        }
        /* Frames sent before a command end up in its line. */
        frames_to_dte = strstr(line_in, "AT+FRH=3") != NULL || strstr(line_in, "ATD") != NULL;
        if (strstr(line_in, "AT+FTH=3") && miss_dcs == 1) {
            miss_dcs = 2;
        } else if (miss_dcs == 2 && (strstr(line_in, "AT+FTS") || strstr(line_in, "AT+FTM"))) {
            miss_dcs = 0;
            printf("call %d: missed the DCS\n", call_number);
            fflush(stdout);
        }
        line_in[0] = '\0';
    }
}

static void phase_e(t30_state_t *s, void *user, int completion) {
    (void) user;
    t30_stats_t stats;
    t30_get_transfer_statistics(s, &stats);
    printf("call %d: pages at %d bit/s, %d bad rows\n", call_number, stats.bit_rate, stats.bad_rows);
    printf("call %d: received %d pages, result %d (%s)\n", call_number, stats.pages_rx, completion,
           t30_completion_code_to_str(completion));
    fflush(stdout);
    call_done = 1;
    if (strcmp(behaviour(), "leave") == 0) {
        close(master);
        unlink(link_path);
        exit(0);
    }
}

static void frame_seen(t30_state_t *s, void *user, int incoming, const uint8_t *msg, int len) {
    (void) user;
    /* The settings the sender chose: the minimum scan line time it names
     * (bits 21-23, bit 21 first: 000 20 ms, 100 5, 010 10, 001 40, 111 0). */
    if (incoming && len >= 6 && (msg[2] & 0xFE) == T30_DCS) {
        static const int scan_ms[8] = {20, 5, 10, -1, 40, -1, -1, 0};
        /* Bits 11-14 (bit 11 first): the modem and its speed. */
        static const int rate[16] = {2400, 9600, 4800, 7200, -1, -1, -1, -1,
                                     14400, 9600, 12000, 7200, -1, -1, -1, -1};
        printf("call %d: DCS names %d ms a line, %d bit/s%s%s\n", call_number,
               scan_ms[(msg[5] >> 4) & 7], rate[(msg[4] >> 2) & 15],
               msg[4] & 0x80 ? ", two-dimensional" : "",
               len >= 7 && (msg[5] & 0x80) && (msg[6] & 0x04) ? ", error correction" : "");
        fflush(stdout);
    }
    if (!incoming && len >= 3 && (msg[2] & 0xFE) == T30_FTT) {
        t30_stats_t stats;
        t30_get_transfer_statistics(s, &stats);
        printf("call %d: training at %d bit/s refused\n", call_number, stats.bit_rate);
        fflush(stdout);
    }
    if (incoming && len >= 3 && (msg[2] & 0xFE) == T30_DCS) tcf_next = 1;
    /* Error correction: the frames asked for again, the speed given up. */
    if (!incoming && len >= 3 && (msg[2] & 0xFE) == T30_PPR) {
        int frames = 0;
        for (int i = 3; i < len; i++)
            for (int bit = 0; bit < 8; bit++) frames += (msg[i] >> bit) & 1;
        printf("call %d: asked for %d frames again\n", call_number, frames);
        fflush(stdout);
    }
    if (incoming && len >= 3 && (msg[2] & 0xFE) == T30_CTC) {
        printf("call %d: told to continue correcting one speed lower\n", call_number);
        fflush(stdout);
    }
    if (!incoming && len >= 3) {
        int fcf = msg[2] & 0xFE;
        const char *name = fcf == T30_MCF   ? "MCF"
                           : fcf == T30_RTN ? "RTN"
                           : fcf == T30_RTP ? "RTP"
                           : fcf == T30_PIP ? "PIP"
                           : fcf == T30_PIN ? "PIN"
                                            : NULL;
        if (name) {
            t30_stats_t stats;
            t30_get_transfer_statistics(s, &stats);
            printf("call %d: answered %s to a page at %d bit/s\n", call_number, name,
                   stats.bit_rate);
            fflush(stdout);
        }
    }
    /* The receiver confirming the training: the page follows. */
    if (!incoming && len >= 3 && (msg[2] & 0xFE) == T30_CFR && strcmp(behaviour(), "hangup") == 0 &&
        hangup_at < 0)
        hangup_at = now_samples + 3 * 8000;
}

static void start_machine(void) {
    char path[4096];
    if (machine) fax_free(machine);
    machine = fax_init(NULL, 0);
    t30_state_t *t30 = fax_get_t30_state(machine);
    snprintf(path, sizeof path, "%s-%d.tif", out_prefix, call_number);
    unlink(path);
    t30_set_rx_file(t30, path, -1);
    t30_set_tx_ident(t30, "+49 30 1234567");
    int modems = (setting("v17") ? T30_SUPPORT_V17 : 0) | (setting("v29") ? T30_SUPPORT_V29 : 0) |
                 (setting("v27") ? T30_SUPPORT_V27TER : 0);
    t30_set_supported_modems(t30, modems ? modems
                                         : T30_SUPPORT_V17 | T30_SUPPORT_V29 | T30_SUPPORT_V27TER);
    const char *scan = setting("scan");
    if (scan) t30_set_minimum_scan_line_time(t30, atoi(scan));
    miss_dcs = setting("missdcs") ? 1 : 0;
    no_fcs = setting("nofcs") != NULL;
    const char *jitter = setting("jitter");
    line_reset(jitter ? atof(jitter) : 0);
    t30_set_ecm_capability(t30, setting("ecm") != NULL);
    if (setting("1d")) t30_set_supported_compressions(t30, T30_SUPPORT_T4_1D_COMPRESSION);
    const char *rtn = setting("rtn"), *bursts = setting("bursts");
    noise_rate = rtn ? atoi(rtn) : 0;
    burst_ms = bursts ? atoi(bursts) : rtn ? 200 : 0;
    line_noise = rtn ? loud_noise : soft_noise;
    noise_from = -1;
    tcf_next = 0;
    in_frame = 0;
    t30_set_phase_e_handler(t30, phase_e, NULL);
    t30_set_real_time_frame_handler(t30, frame_seen, NULL);
    fax_set_transmit_on_idle(machine, 1);
    if (getenv("FAXPEER_LOG")) {
        span_log_set_level(t30_get_logging_state(t30), SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_FLOW);
        span_log_set_level(fax_get_logging_state(machine), SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_FLOW);
    }
    call_done = 0;
    hangup_at = -1;
    hangup_pending = 0;
}

static int modem_control(t31_state_t *s, void *user, int op, const char *num) {
    (void) s;
    (void) user;
    switch (op) {
    case AT_MODEM_CONTROL_CALL:
        ++call_number;
        printf("call %d: dialled %s, playing %s\n", call_number, num ? num : "", part());
        fflush(stdout);
        if (strcmp(behaviour(), "busy") == 0) {
            pending_event = AT_CALL_EVENT_BUSY;
        } else if (strcmp(behaviour(), "noanswer") == 0) {
            pending_event = AT_CALL_EVENT_NO_ANSWER;
        } else {
            pending_event = AT_CALL_EVENT_CONNECTED;
        }
        event_at = now_samples + 8000; /* a second of ringing */
        break;
    case AT_MODEM_CONTROL_HANGUP:
    case AT_MODEM_CONTROL_ONHOOK:
            setup_pending = 1;
        if (in_call) {
            in_call = 0;
            if (finished_at < 0 && call_number >= script_len) finished_at = now_samples + 8000;
        }
        break;
    case AT_MODEM_CONTROL_CTS:
        cts = (int) (intptr_t) num;
        break;
    default:
        break;
    }
    return 0;
}

/* The modem as the next call's part has it: its result codes, its flow
 * control, the commands it does not know. */
static void modem_setup(void) {
    if (dropped > 0) {
        printf("call %d: %ld bytes lost in the modem's full buffer\n", call_number, dropped);
        fflush(stdout);
    }
    const char *next = part_of(call_number + 1);
    static const char reset[] = "ATE1V1Q0\r", v0[] = "ATV0\r", q1[] = "ATQ1\r";
    swallow_output = 1;
    t31_at_rx(modem, reset, (int) strlen(reset));
    if (setting_of(next, "v0")) t31_at_rx(modem, v0, (int) strlen(v0));
    if (setting_of(next, "q1")) t31_at_rx(modem, q1, (int) strlen(q1));
    swallow_output = 0;
    no_flow = setting_of(next, "noflow") != NULL;
    flow_on = 0;
    no_ifc = setting_of(next, "noifc") != NULL;
    no_ftm_query = setting_of(next, "noftmquery") != NULL;
    dropped = 0;
    port_credit = 0;
    line_in[0] = '\0';
}

static void open_terminal(const char *link) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) < 0 || unlockpt(master) < 0) {
        perror("faxpeer: pseudo-terminal");
        exit(2);
    }
    const char *slave = ptsname(master);
    /* Held open so that the terminal lives between the sender's opens. */
    int keep = open(slave, O_RDWR | O_NOCTTY);
    struct termios raw;
    tcgetattr(keep, &raw);
    cfmakeraw(&raw);
    tcsetattr(keep, TCSANOW, &raw);
    unlink(link);
    if (symlink(slave, link) < 0) {
        perror("faxpeer: link");
        exit(2);
    }
    printf("terminal %s\n", slave);
    fflush(stdout);
}

int main(int argc, char **argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: faxpeer LINK OUTPREFIX SCRIPT [SPEED]\n");
        return 2;
    }
    out_prefix = argv[2];
    link_path = argv[1];
    char *list = strdup(argv[3]);
    for (char *item = strtok(list, ","); item && script_len < 16; item = strtok(NULL, ","))
        snprintf(script[script_len++], sizeof script[0], "%s", item);
    const int speed = argc > 4 ? atoi(argv[4]) : 1;
    signal(SIGPIPE, SIG_IGN);
    trace = getenv("FAXPEER_TRACE") != NULL;
    open_terminal(argv[1]);

    modem = t31_init(NULL, at_tx, NULL, modem_control, NULL, NULL, NULL);
    t31_set_transmit_on_idle(modem, 1);
    soft_noise = awgn_init_dbm0(NULL, 1234567, -15.0f);
    loud_noise = awgn_init_dbm0(NULL, 7654321, -3.0f);
    modem_setup();
    if (getenv("FAXPEER_LOG"))
        span_log_set_level(t31_get_logging_state(modem), SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_FLOW);

    int16_t to_machine[SAMPLES], to_modem[SAMPLES];
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    while (finished_at < 0 || now_samples < finished_at) {
        if (setup_pending) {
            setup_pending = 0;
            modem_setup();
        }
        /* What the sender wrote, while the modem has room for it; without
         * flow control, as fast as the port carries it, and what finds
         * the buffer full is lost. */
        int paced = !no_flow || flow_on;
        /* An idle port saves nothing up: no burst beats the port's speed. */
        if (!paced) port_credit = fmin(port_credit + 19200.0 / 10 * SAMPLES / 8000, 64);
        int room = paced ? 256 : (int) port_credit;
        if (room > 256) room = 256;
        fd_set readable;
        FD_ZERO(&readable);
        if ((cts || !paced) && room > 0) FD_SET(master, &readable);
        struct timeval zero = {0, 0};
        if ((cts || !paced) && room > 0 && select(master + 1, &readable, NULL, NULL, &zero) > 0) {
            char buf[256];
            ssize_t n = read(master, buf, (size_t) room);
            if (n > 0 && !paced) port_credit -= (double) n;
            if (n > 0 && !paced && !cts) {
                if (dropped == 0) {
                    printf("call %d: the modem's buffer overran\n", call_number);
                    fflush(stdout);
                }
                dropped += n;
            } else if (n > 0) {
                from_dte(buf, n);
            }
        }
        if (event_at >= 0 && now_samples >= event_at) {
            event_at = -1;
            if (pending_event == AT_CALL_EVENT_CONNECTED) {
                start_machine();
                in_call = 1;
            } else if (call_number >= script_len) {
                finished_at = now_samples + 8000;
            }
            t31_call_event(modem, pending_event);
        }
        if (hangup_at >= 0 && now_samples >= hangup_at) {
            hangup_at = -1;
            printf("call %d: hanging up in the middle of the page\n", call_number);
            fflush(stdout);
            in_call = 0;
            /* A modem sending data does not notice: it goes on taking and
             * sending the page, and hears of the dropped line at the
             * computer's next command. */
            hangup_pending = 1;
            if (call_number >= script_len) finished_at = now_samples + 8000;
        }
        /* Twenty milliseconds of audio each way. */
        int n = t31_tx(modem, to_machine, SAMPLES);
        if (n < SAMPLES) memset(to_machine + n, 0, (SAMPLES - n) * sizeof(int16_t));
        if (in_call) {
            if (miss_dcs == 2) memset(to_machine, 0, sizeof to_machine);
            if (noise_from >= 0 && now_samples >= noise_from &&
                (now_samples - noise_from) % 8000 < burst_ms * 8)
                for (int i = 0; i < SAMPLES; i++) {
                    int sample = to_machine[i] + awgn(line_noise);
                    to_machine[i] = (int16_t) (sample > 32767    ? 32767
                                              : sample < -32768 ? -32768
                                                                : sample);
                }
            line_carry(&line_to_machine, to_machine, SAMPLES);
            fax_rx(machine, to_machine, SAMPLES);
            n = fax_tx(machine, to_modem, SAMPLES);
            if (n < SAMPLES) memset(to_modem + n, 0, (SAMPLES - n) * sizeof(int16_t));
            line_carry(&line_to_modem, to_modem, SAMPLES);
        } else {
            memset(to_modem, 0, sizeof to_modem);
        }
        t31_rx(modem, to_modem, SAMPLES);
        if (call_done && in_call && finished_at < 0 && call_number >= script_len)
            finished_at = now_samples + 3 * 8000;
        now_samples += SAMPLES;
        next.tv_nsec += 20000000L / (speed > 0 ? speed : 1);
        while (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            next.tv_sec += 1;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    }
    if (machine) fax_free(machine);
    t31_free(modem);
    unlink(argv[1]);
    return 0;
}
