#ifndef TARVIK_H
#define TARVIK_H
/*
 * tarvik: the serial link library.
 *
 * One serial port per process, opened directly or through a dial-up modem, carrying framed,
 * checksummed, sequence-numbered and acknowledged messages of up to 8063 bytes. All state is
 * process-wide; there are no handles. Every call must come from the one thread that opened
 * the port: the library starts no threads and takes no locks.
 *
 * Driving the link. Bytes are read and parsed only in read_buffer(); retransmission, polling
 * and parked acknowledgements happen only in link_timer(). A host with an event loop watches
 * comm_timer_fd() for readability (every 250 ms while a port is open), reads the expiry count
 * from it and calls windll_link_timer() once per readable event. On Windows the timer is a
 * thread timer of the opening thread instead, which ticks whenever that thread dispatches its
 * window messages. A host without an event loop (a command-line tool, a busy wait) calls
 * read_buffer() and link_timer() itself.
 *
 * Recovery. A frame that arrives ahead of sequence or damaged is answered with one NAK or
 * REJECT per gap and second, not one per frame behind it. Until the peer answers our link reset
 * request with the acknowledgement of its number, its data frames are taken as leftovers of the
 * old numbering and dropped unanswered; it sends them again after the reset.
 *
 * Port numbers. comm_open(n, baud) opens COM n, which is the device /dev/ttyS{n-1} unless the
 * environment variable TARVIK_COM<n> names another device (e.g. TARVIK_COM1=/dev/ttyUSB0).
 * comm_open_str() takes any device path ("COM1".."COM9" are mapped the same way). On Windows
 * comm_open(n, baud) opens "COMn", and comm_open_str() takes the system's device names ("COM12"
 * is opened as "\\.\COM12").
 */

#include <stdint.h>

/* On Windows the module-definition file names the exports, and every function takes the
 * standard call convention, as the system's callers expect. */
#if defined(_WIN32)
#define TARVIK_API
#define TARVIK_CALL __stdcall
#elif defined(__GNUC__)
#define TARVIK_API __attribute__((visibility("default")))
#define TARVIK_CALL
#else
#define TARVIK_API
#define TARVIK_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Connection types for comm_set_connection_type(); any value other than CONNECTION_MODEM means
 * a direct cable. */
#define CONNECTION_DIRECT 0
#define CONNECTION_MODEM 1

/* Results of comm_open() and comm_open_str(). */
#define COMM_OPEN_OK 0
#define COMM_OPEN_BAD_PORT (-1)    /* port number outside 1..9, or a port is already open */
#define COMM_OPEN_NO_DEVICE (-2)   /* the device could not be opened (missing, busy, locked) */
#define COMM_OPEN_NO_SETTINGS (-3) /* the current line settings could not be read (not a terminal) */
#define COMM_OPEN_NO_CONFIG (-4)   /* the line could not be configured (e.g. unsupported baud rate) */
#define COMM_OPEN_NO_CARRIER (-5)  /* modem connection: no carrier detected */
#define COMM_OPEN_NO_TIMER (-6)    /* the link timer could not be started */

/* Status bits of get_status(). */
#define STATUS_RX_WAITING 1  /* the receive queue is not empty (a message, or its first part) */
#define STATUS_TX_PENDING 2  /* frames await acknowledgement (not counting an outstanding poll) */
#define STATUS_CLOSED 4      /* no port is open or no link timer runs */
#define STATUS_LINK_FAILED 8 /* three retransmission passes without an acknowledgement */

/* Frame types (bits 7..5 of the control byte). */
#define FRAME_ACK 0
#define FRAME_RESET 1
#define FRAME_NAK 2
#define FRAME_REJECT 3
#define FRAME_DATA_MORE 4
#define FRAME_RESET_REQUEST 5
#define FRAME_DATA_LAST 6
#define FRAME_POLL 7

#define TARVIK_START_BYTE 0x24
#define TARVIK_ESCAPE_BYTE 0xAA
#define TARVIK_MAX_FRAME_DATA 252
#define TARVIK_RING_SIZE 8192
#define TARVIK_MAX_SEND 8063    /* largest message put_message() accepts (empty queue) */
#define TARVIK_MAX_RECEIVE 8189 /* largest message the receive queue can hold */

/* Result of put_message() and get_message() meaning "no room" / "buffer too small". */
#define TARVIK_NO_ROOM 0xFFFF

/* Counters copied out by get_statistics(), in this order. */
typedef struct LinkStatistics {
    uint32_t framesSent;      /* start bytes written, retransmitted frames included */
    uint32_t retransmissions; /* retransmission passes */
    uint32_t framesReceived;  /* complete frames with a good checksum */
    uint32_t errors;          /* bad checksums, frames ahead of sequence, frames refused */
} LinkStatistics;

/* ---- Port and raw I/O ---- */

/* Opens COM port 1..9 at the given baud rate; result COMM_OPEN_*. On success the link timer runs
 * and a link reset request has been sent. */
TARVIK_API int16_t TARVIK_CALL comm_open(int32_t port, int32_t baud);
/* Opens the named device. While a port is open it returns COMM_OPEN_BAD_PORT and changes
 * nothing. */
TARVIK_API int16_t TARVIK_CALL comm_open_str(const char* device, int32_t baud);
/* Stops the timer, puts back the line settings found at open and closes the device. Queued link
 * state stays until the next open. Safe to call with no port open. */
TARVIK_API void TARVIK_CALL comm_close(void);
/* 1 while a port is open and its link timer runs. */
TARVIK_API uint8_t TARVIK_CALL comm_is_open(void);
/* Takes effect at the next open. */
TARVIK_API void TARVIK_CALL comm_set_connection_type(int32_t type);
/* Number and modifiers sent after "ATD"; cut to 254 characters; takes effect at the next open. */
TARVIK_API void TARVIK_CALL comm_set_modem_dial_string(const char* dial);

/* Writes the low 8 bits of c unframed: non-zero when written, 0 when the write failed, -1 when
 * no port is open. */
TARVIK_API int32_t TARVIK_CALL put_raw_char(int32_t c);
/* Non-blocking read of one unframed byte: 1 when a byte was stored, else 0. */
TARVIK_API uint8_t TARVIK_CALL get_raw_char(uint8_t* byte);
/* Writes the bytes of a zero-terminated text unframed. */
TARVIK_API void TARVIK_CALL put_raw_string(const char* text);
/* 1 when the driver holds at least one received byte. */
TARVIK_API uint8_t TARVIK_CALL raw_char_waiting(void);
/* Writes 0x55 1320 times, unframed (an attention signal). */
TARVIK_API void TARVIK_CALL sentra_attention(void);

/* ---- Messages ---- */

/* Queues and sends a message of length bytes (low 16 bits used). 0 = sent (also for length 0,
 * when nothing is sent); TARVIK_NO_ROOM = no room in the transmit queue (or data is null),
 * nothing sent. */
TARVIK_API uint16_t TARVIK_CALL put_message(const void* data, uint32_t length);
/* Copies out the oldest complete message: its length; 0 when none is complete; TARVIK_NO_ROOM
 * when it is longer than size (low 16 bits used) and stays queued. */
TARVIK_API uint16_t TARVIK_CALL get_message(void* buffer, uint32_t size);
/* Header of the oldest queued message: its length, plus 0x8000 while it is still arriving;
 * 0xFFFF when nothing is queued. */
TARVIK_API uint16_t TARVIK_CALL get_message_size(void);
/* STATUS_* bits. */
TARVIK_API uint16_t TARVIK_CALL get_status(void);
/* Copies the four counters. */
TARVIK_API void TARVIK_CALL get_statistics(LinkStatistics* statistics);
/* Empties both queues, clears link failed and sends a link reset request. */
TARVIK_API void TARVIK_CALL comm_reset(void);
/* One link tick: parked acknowledgement, poll after 3 s of silence, retransmission after 2 s. */
TARVIK_API void TARVIK_CALL link_timer(void);
/* Reads what the line holds (at most 1024 bytes, never waiting) and parses it. -1 when done
 * (also with nothing read or no port open); the errno value when the read failed. */
TARVIK_API int32_t TARVIK_CALL read_buffer(void);
/* Timer callback: read_buffer(), then link_timer(). The arguments are ignored. */
TARVIK_API void TARVIK_CALL windll_link_timer(void* window, uint32_t message, uintptr_t timerId, uint32_t time);

/* Descriptor of the 250 ms link timer (a timerfd), armed at open and disarmed at close; -1 when
 * no port is open. It becomes readable at each expiry: the host reads the 8-byte expiry count
 * (non-blocking) and calls windll_link_timer() once. The descriptor stays the same across opens
 * of one process but may only be relied on while comm_is_open() is 1. Always -1 on Windows. */
TARVIK_API int TARVIK_CALL comm_timer_fd(void);

#ifdef __cplusplus
}
#endif

#endif /* TARVIK_H */
