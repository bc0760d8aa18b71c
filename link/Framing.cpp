// Framed, checksummed, sequence-numbered messages over the open port: the two rings, the frame
// builder and handler, retransmission and polling.

#include "link/LinkState.h"

#include <cerrno>
#include <cstring>
#include <initializer_list>

namespace tarvik {
namespace {

LinkState linkState;
// Set only in a simulated instrument; not touched by any reset.
bool strictProtocol = false;

// Whether a retransmission pass counts towards link failed.
enum class PassCause { Counted, PeerAsked };

// A control byte holds the frame type in its top three bits and the sequence number below.
constexpr int kTypeShift = 5;
constexpr uint8_t kSequenceMask = 31;
// Numbers up to this many ahead of the expected one are a gap; further ones are repeats.
constexpr uint8_t kSequenceWindow = 16;

// A frame's length byte counts the control byte, the data and the checksum.
constexpr uint8_t kControlFrameLength = 2;
constexpr uint16_t kMaxFrameLength = TARVIK_MAX_FRAME_DATA + kControlFrameLength;
// Ring room put_message() asks for each frame beyond its data.
constexpr uint32_t kQueuedFrameOverhead = 4;
constexpr size_t kReadChunk = 1024;
// Start byte plus every byte after it escaped: 1 + 2 * 255.
constexpr size_t kMaxWireFrame = 511;

// What follows the escape byte in place of a start or escape byte in the frame's contents.
constexpr uint8_t kEscapedStart = 0xFE;
constexpr uint8_t kEscapedEscape = 0x22;

// A received frame: start byte, length byte, then the bytes the length counts.
constexpr int kFrameLengthAt = 1;
constexpr int kFrameControlAt = 2;
constexpr int kFrameDataAt = 3;

// Receive ring message header: length, with the top bit set while more fragments are to come.
constexpr uint16_t kMessageIncomplete = 0x8000;
constexpr uint16_t kMessageLengthMask = 0x7FFF;
constexpr uint16_t kMessageHeaderBytes = 2;

// Link timer limits, in clock seconds since the last transmission.
constexpr std::time_t kPollAfterSeconds = 3;
constexpr std::time_t kRetransmitAfterSeconds = 2;
// The pass that follows this many unanswered ones reports link failed.
constexpr uint32_t kPassesBeforeFailure = 2;

uint8_t ControlByte(uint8_t type, uint8_t sequence) {
    return static_cast<uint8_t>((type << kTypeShift) | (sequence & kSequenceMask));
}
uint8_t FrameType(uint8_t control) { return static_cast<uint8_t>(control >> kTypeShift); }
uint8_t SequenceOf(uint8_t control) { return static_cast<uint8_t>(control & kSequenceMask); }
uint8_t Next(uint8_t sequence) { return static_cast<uint8_t>((sequence + 1) & kSequenceMask); }

uint16_t Wrap(uint32_t position) { return static_cast<uint16_t>(position & kRingMask); }
uint8_t Negated(uint32_t sum) { return static_cast<uint8_t>(-static_cast<int32_t>(sum & 0xFF)); }
uint8_t Previous(uint8_t sequence) { return static_cast<uint8_t>((sequence - 1) & kSequenceMask); }

// Collects one frame's wire bytes so that it reaches the port in one write, in order.
class WireFrame {
public:
    WireFrame() { bytes_[size_++] = TARVIK_START_BYTE; }
    void PutEscaped(uint8_t b) {
        if (b == TARVIK_START_BYTE) {
            bytes_[size_++] = TARVIK_ESCAPE_BYTE;
            bytes_[size_++] = kEscapedStart;
        } else if (b == TARVIK_ESCAPE_BYTE) {
            bytes_[size_++] = TARVIK_ESCAPE_BYTE;
            bytes_[size_++] = kEscapedEscape;
        } else {
            bytes_[size_++] = b;
        }
    }
    void Send() { WritePort(bytes_, size_); }

private:
    uint8_t bytes_[kMaxWireFrame];
    size_t size_ = 0;
};

uint16_t TxFree() { return Wrap(linkState.txHead - linkState.txTail - 1u); }
uint16_t RxFree() { return Wrap(linkState.rxRead - linkState.rxWrite - 1u); }
uint16_t RxUsed() { return Wrap(linkState.rxWrite - linkState.rxRead); }

void AppendTx(uint8_t b) {
    linkState.txRing[linkState.txTail] = b;
    linkState.txTail = Wrap(linkState.txTail + 1u);
}

void WriteControlFrame(uint8_t control) {
    WireFrame frame;
    frame.PutEscaped(kControlFrameLength);
    frame.PutEscaped(control);
    frame.PutEscaped(Negated(control));
    frame.Send();
}

// ACK, RESET, NAK and REJECT: never queued; parked when a frame is being written.
void SendControl(uint8_t control) {
    if (linkState.txBusy != 0) {
        linkState.parkedAck = control;
        return;
    }
    ++linkState.statistics.framesSent;
    ++linkState.txBusy;
    WriteControlFrame(control);
    --linkState.txBusy;
}

// NAK or REJECT for the expected number e, unless the same one already went this second.
void SendGapReport(uint8_t type, int16_t* sentFor, std::time_t* sentAt) {
    const uint8_t e = linkState.expectedSequence;
    const std::time_t now = Now();
    if (*sentFor == e && *sentAt == now && !strictProtocol) return;
    *sentFor = e;
    *sentAt = now;
    SendControl(ControlByte(type, Previous(e)));
}

void LinkReset(uint8_t sequence) {
    linkState.txSequence = linkState.expectedSequence = SequenceOf(sequence);
    linkState.txHead = linkState.txTail = 0;
    linkState.rxRead = linkState.rxWrite = 0;
    linkState.openMessage = -1;
    linkState.retryCount = 0;
    linkState.pollOutstanding = false;
    linkState.linkFailed = false;
    linkState.lastTransmit = Now();
    linkState.nakSentFor = linkState.rejectSentFor = -1;
    linkState.passAskedFor = -1;
}

uint16_t ReadRxHeader(uint16_t position) {
    return static_cast<uint16_t>((linkState.rxRing[position] << 8) | linkState.rxRing[Wrap(position + 1u)]);
}

void WriteRxHeader(uint16_t position, uint16_t header) {
    linkState.rxRing[position] = static_cast<uint8_t>(header >> 8);
    linkState.rxRing[Wrap(position + 1u)] = static_cast<uint8_t>(header & 0xFF);
}

// Stores d received data bytes as a fragment of the message being assembled; false = refused,
// the peer will send the frame again.
bool StoreData(const uint8_t* data, uint16_t d, bool last) {
    const bool open = linkState.openMessage >= 0;
    const uint16_t needed = open ? d : static_cast<uint16_t>(d + kMessageHeaderBytes);
    if (needed > RxFree()) {
        // Unread messages are never thrown away to make room: the frame is refused and the
        // peer's retransmission brings it again once the reader has taken some out.
        if (!open) ++linkState.statistics.errors;
        if (!open && strictProtocol) {
            SendControl(ControlByte(FRAME_RESET, Previous(linkState.expectedSequence)));
            linkState.rxRead = linkState.rxWrite = 0;
        }
        return false;
    }
    uint16_t total = d;
    if (open)
        total = static_cast<uint16_t>(
            total + (ReadRxHeader(static_cast<uint16_t>(linkState.openMessage)) & kMessageLengthMask));
    if (!last) {
        if (!open) {
            linkState.openMessage = linkState.rxWrite;
            linkState.rxWrite = Wrap(linkState.rxWrite + kMessageHeaderBytes);
        }
        WriteRxHeader(static_cast<uint16_t>(linkState.openMessage), static_cast<uint16_t>(kMessageIncomplete | total));
    } else if (open) {
        WriteRxHeader(static_cast<uint16_t>(linkState.openMessage), total);
        linkState.openMessage = -1;
    } else {
        WriteRxHeader(linkState.rxWrite, total);
        linkState.rxWrite = Wrap(linkState.rxWrite + kMessageHeaderBytes);
    }
    for (uint16_t i = 0; i < d; ++i) {
        linkState.rxRing[linkState.rxWrite] = data[i];
        linkState.rxWrite = Wrap(linkState.rxWrite + 1u);
    }
    return true;
}

uint8_t OldestControl() { return linkState.txRing[Wrap(linkState.txHead + 1u)]; }

// Our link reset request has not been answered yet. Until it is, the peer's numbering is not
// ours: its data frames are leftovers from before the reset, and its acknowledgements refer to
// frames of the old numbering.
bool ResetUnanswered() {
    return !strictProtocol && linkState.txHead != linkState.txTail && FrameType(OldestControl()) == FRAME_RESET_REQUEST;
}

// Drops the oldest queued frames whose numbers lie among n-15 .. n. A link reset request goes
// only with the acknowledgement of its own number, and nothing behind it goes before it.
void ReleaseUpTo(uint8_t n) {
    while (linkState.txHead != linkState.txTail) {
        const uint8_t control = OldestControl();
        if (FrameType(control) == FRAME_RESET_REQUEST && SequenceOf(control) != n && !strictProtocol) break;
        if (((SequenceOf(control) - n + kSequenceWindow - 1) & kSequenceMask) >= kSequenceWindow) break;
        linkState.txHead = Wrap(linkState.txHead + 1u + linkState.txRing[linkState.txHead]);
    }
}

void RetransmissionPass(PassCause cause) {
    if (cause == PassCause::PeerAsked) {
        // A burst of complaints about one gap (one per frame behind it, from a peer that sends
        // them all) needs one pass; and a peer that complains is not silent, so its complaints
        // do not count towards link failed.
        const std::time_t now = Now();
        if (linkState.passAskedFor == linkState.txHead && linkState.passAskedAt == now) return;
        linkState.passAskedFor = linkState.txHead;
        linkState.passAskedAt = now;
    } else {
        if (linkState.retryCount == kPassesBeforeFailure) linkState.linkFailed = true;
        ++linkState.retryCount;
    }
    ++linkState.statistics.retransmissions;
    uint16_t position = linkState.txHead;
    while (position != linkState.txTail) {
        const uint8_t length = linkState.txRing[position];
        WireFrame frame;
        for (uint16_t i = 0; i <= length; ++i) frame.PutEscaped(linkState.txRing[Wrap(position + i)]);
        ++linkState.statistics.framesSent;
        frame.Send();
        position = Wrap(position + 1u + length);
    }
    linkState.lastTransmit = Now();
}

void HandleFrame(const uint8_t* frame) {
    const uint8_t length = frame[kFrameLengthAt];
    const uint8_t e = linkState.expectedSequence;
    uint8_t sum = 0;
    for (uint16_t i = kFrameControlAt; i < kFrameControlAt + length; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
    if (sum != 0) {
        SendGapReport(FRAME_REJECT, &linkState.rejectSentFor, &linkState.rejectSentAt);
        ++linkState.statistics.errors;
        return;
    }
    ++linkState.statistics.framesReceived;
    const uint8_t control = frame[kFrameControlAt];
    const uint8_t type = FrameType(control);
    const uint8_t n = SequenceOf(control);
    const uint8_t* data = frame + kFrameDataAt;
    const uint16_t dataLength = static_cast<uint16_t>(length - kControlFrameLength);

    switch (type) {
    case FRAME_RESET_REQUEST:
        LinkReset(static_cast<uint8_t>(n + 1));
        SendControl(ControlByte(FRAME_ACK, n));
        break;
    case FRAME_ACK:
        linkState.lastTransmit = Now();
        ReleaseUpTo(n);
        if (length != kControlFrameLength && !ResetUnanswered()) StoreData(data, dataLength, true);
        linkState.retryCount = 0;
        break;
    case FRAME_RESET: comm_reset(); break;
    case FRAME_NAK:
    case FRAME_REJECT:
        if (strictProtocol) {
            ReleaseUpTo(Previous(n));
            RetransmissionPass(PassCause::Counted);
            break;
        }
        // The peer has taken every frame up to n: sending any of them again would only draw
        // an acknowledgement of a number it has not seen from an instrument that answers
        // repeats that way.
        ReleaseUpTo(n);
        // With nothing waiting for an acknowledgement there is nothing to send again: a damaged
        // acknowledgement of ours, refused by the peer, must not count towards link failed.
        if (linkState.txHead != linkState.txTail) RetransmissionPass(PassCause::PeerAsked);
        break;
    default: {  // DATA_MORE, DATA_LAST, POLL
        // Dropped without a reply: the peer sends again whatever it still has once it has
        // answered the reset.
        if (ResetUnanswered()) break;
        const uint8_t ahead = SequenceOf(static_cast<uint8_t>(n - e));
        if (ahead == 0) {
            if (type == FRAME_POLL || StoreData(data, dataLength, type == FRAME_DATA_LAST)) {
                SendControl(ControlByte(FRAME_ACK, e));
                linkState.expectedSequence = Next(e);
            }
        } else if (ahead < kSequenceWindow) {
            SendGapReport(FRAME_NAK, &linkState.nakSentFor, &linkState.nakSentAt);
            ++linkState.statistics.errors;
        } else {
            // A repeat of a frame already taken: acknowledge the last one taken, never the
            // expected one, which the peer may still have to deliver.
            SendControl(ControlByte(FRAME_ACK, strictProtocol ? e : Previous(e)));
        }
        break;
    }
    }
}

void FeedByte(uint8_t b) {
    LinkState& s = linkState;
    if (b == TARVIK_START_BYTE) s.builderIndex = 0;
    if (s.escapePending) {
        s.escapePending = false;
        if (b == kEscapedStart) {
            b = TARVIK_START_BYTE;
        } else if (b == kEscapedEscape) {
            b = TARVIK_ESCAPE_BYTE;
        }
    } else if (b == TARVIK_ESCAPE_BYTE) {
        s.escapePending = true;
        return;
    }
    if (s.builderIndex == 0) {
        if (b == TARVIK_START_BYTE) {
            s.builderFrame[0] = b;
            s.builderIndex = 1;
        }
        return;
    }
    if (s.builderIndex == 1) {
        s.builderFrame[1] = b;
        s.builderIndex = 2;
        s.builderExpected = static_cast<uint16_t>(b + 2);  // with the start and length bytes
        if (b < kControlFrameLength || b > kMaxFrameLength) s.builderIndex = 0;
        return;
    }
    s.builderFrame[s.builderIndex++] = b;
    if (s.builderIndex < s.builderExpected) return;
    s.builderIndex = 0;
    if (s.processing) return;
    uint8_t frame[sizeof s.builderFrame];
    std::memcpy(frame, s.builderFrame, s.builderExpected);
    s.processing = true;
    HandleFrame(frame);
    s.processing = false;
}

}  // namespace

LinkState& Link() { return linkState; }

void SetStrictProtocol(bool strict) { strictProtocol = strict; }

void FullLinkReset() {
    linkState.builderIndex = 0;
    linkState.escapePending = false;
    linkState.processing = false;
    linkState.parkedAck = -1;
    linkState.txBusy = 0;
    linkState.statistics = {};
    LinkReset(0);
}

}  // namespace tarvik

using namespace tarvik;

extern "C" {

TARVIK_API uint16_t put_message(const void* data, uint32_t length) {
    const uint16_t size = static_cast<uint16_t>(length & 0xFFFF);
    constexpr uint16_t kChunk = TARVIK_MAX_FRAME_DATA;
    const uint32_t rest = size % kChunk;
    const uint32_t needed =
        (kChunk + kQueuedFrameOverhead) * (size / kChunk) + rest + (rest != 0 ? kQueuedFrameOverhead : 0u);
    if (needed > TxFree()) return TARVIK_NO_ROOM;
    if (size == 0) return 0;
    if (!data) return TARVIK_NO_ROOM;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    uint16_t remaining = size;
    while (remaining > 0) {
        const uint16_t chunk = remaining < kChunk ? remaining : kChunk;
        const uint8_t type = remaining > kChunk ? FRAME_DATA_MORE : FRAME_DATA_LAST;
        ++linkState.txBusy;
        ++linkState.statistics.framesSent;
        WireFrame frame;
        const uint8_t lengthByte = static_cast<uint8_t>(chunk + kControlFrameLength);
        AppendTx(lengthByte);
        frame.PutEscaped(lengthByte);
        const uint8_t control = ControlByte(type, linkState.txSequence);
        AppendTx(control);
        frame.PutEscaped(control);
        linkState.txSequence = Next(linkState.txSequence);
        uint32_t sum = control;
        for (uint16_t i = 0; i < chunk; ++i) {
            AppendTx(bytes[i]);
            frame.PutEscaped(bytes[i]);
            sum += bytes[i];
        }
        const uint8_t checksum = Negated(sum);
        AppendTx(checksum);
        frame.PutEscaped(checksum);
        frame.Send();
        --linkState.txBusy;
        linkState.pollOutstanding = false;
        linkState.lastTransmit = Now();
        bytes += chunk;
        remaining = static_cast<uint16_t>(remaining - chunk);
    }
    return 0;
}

TARVIK_API uint16_t get_message(void* buffer, uint32_t size) {
    if (RxUsed() < kMessageHeaderBytes) return 0;
    const uint16_t header = ReadRxHeader(linkState.rxRead);
    if (header & kMessageIncomplete) return 0;
    if (header > (size & 0xFFFF) || (!buffer && header > 0)) return TARVIK_NO_ROOM;
    linkState.rxRead = Wrap(linkState.rxRead + kMessageHeaderBytes);
    uint8_t* out = static_cast<uint8_t*>(buffer);
    for (uint16_t i = 0; i < header; ++i) {
        out[i] = linkState.rxRing[linkState.rxRead];
        linkState.rxRead = Wrap(linkState.rxRead + 1u);
    }
    return header;
}

TARVIK_API uint16_t get_message_size(void) {
    if (RxUsed() < kMessageHeaderBytes) return 0xFFFF;
    return ReadRxHeader(linkState.rxRead);
}

TARVIK_API uint16_t get_status(void) {
    uint16_t status = 0;
    if (linkState.rxRead != linkState.rxWrite) status |= STATUS_RX_WAITING;
    if (linkState.txHead != linkState.txTail && !linkState.pollOutstanding) status |= STATUS_TX_PENDING;
    if (!comm_is_open()) status |= STATUS_CLOSED;
    if (linkState.linkFailed) status |= STATUS_LINK_FAILED;
    return status;
}

TARVIK_API void get_statistics(LinkStatistics* statistics) {
    if (statistics) *statistics = linkState.statistics;
}

TARVIK_API void comm_reset(void) {
    LinkReset(0);
    // Numbered as the one before zero, the number both sides start from afterwards.
    const uint8_t control = ControlByte(FRAME_RESET_REQUEST, kSequenceMask);
    const uint8_t request[] = {kControlFrameLength, control, Negated(control)};
    WireFrame frame;
    for (uint8_t b : request) {
        AppendTx(b);
        frame.PutEscaped(b);
    }
    frame.Send();
    ++linkState.statistics.framesSent;
    linkState.lastTransmit = Now();
}

TARVIK_API void link_timer(void) {
    if (linkState.txBusy != 0) return;
    const std::time_t now = Now();
    if (linkState.parkedAck >= 0) {
        ++linkState.statistics.framesSent;
        WriteControlFrame(static_cast<uint8_t>(linkState.parkedAck));
        linkState.parkedAck = -1;
        linkState.lastTransmit = Now();
    }
    const std::time_t elapsed = now - linkState.lastTransmit;
    const bool queueEmpty = linkState.txHead == linkState.txTail;
    if (queueEmpty && elapsed >= kPollAfterSeconds) {
        const uint8_t control = ControlByte(FRAME_POLL, linkState.txSequence);
        WireFrame frame;
        for (uint8_t b : {kControlFrameLength, control, Negated(control)}) {
            AppendTx(b);
            frame.PutEscaped(b);
        }
        frame.Send();
        linkState.txSequence = Next(linkState.txSequence);
        linkState.pollOutstanding = true;
        ++linkState.statistics.framesSent;
        linkState.lastTransmit = now;
    } else if (!queueEmpty && elapsed >= kRetransmitAfterSeconds) {
        RetransmissionPass(PassCause::Counted);
    }
}

TARVIK_API int32_t read_buffer(void) {
    const PortState& port = Port();
    if (port.fd < 0) return -1;
    uint8_t chunk[kReadChunk];
    const long count = Layer().read(port.fd, chunk, sizeof chunk);
    if (count < 0) return errno != 0 ? errno : EIO;
    for (long i = 0; i < count; ++i) FeedByte(chunk[i]);
    return -1;
}

TARVIK_API void windll_link_timer(void*, uint32_t, uintptr_t, uint32_t) {
    read_buffer();
    link_timer();
}

}  // extern "C"
