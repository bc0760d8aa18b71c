// Framed, checksummed, sequence-numbered messages over the open port: the two rings, the frame
// builder and handler, retransmission and polling.

#include "LinkState.h"

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

constexpr uint8_t kSequenceMask = 31;
constexpr size_t kReadChunk = 1024;
// Start byte plus every byte after it escaped: 1 + 2 * 255.
constexpr size_t kMaxWireFrame = 511;

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
            bytes_[size_++] = 0xFE;
        } else if (b == TARVIK_ESCAPE_BYTE) {
            bytes_[size_++] = TARVIK_ESCAPE_BYTE;
            bytes_[size_++] = 0x22;
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
    frame.PutEscaped(0x02);
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
    SendControl(static_cast<uint8_t>(type * 32 + Previous(e)));
}

void LinkReset(uint8_t sequence) {
    linkState.txSequence = linkState.expectedSequence = sequence & kSequenceMask;
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
    const uint16_t needed = open ? d : static_cast<uint16_t>(d + 2);
    if (needed > RxFree()) {
        // Unread messages are never thrown away to make room: the frame is refused and the
        // peer's retransmission brings it again once the reader has taken some out.
        if (!open) ++linkState.statistics.errors;
        if (!open && strictProtocol) {
            SendControl(static_cast<uint8_t>(FRAME_RESET * 32 + Previous(linkState.expectedSequence)));
            linkState.rxRead = linkState.rxWrite = 0;
        }
        return false;
    }
    uint16_t total = d;
    if (open) total = static_cast<uint16_t>(total + (ReadRxHeader(static_cast<uint16_t>(linkState.openMessage)) & 0x7FFF));
    if (!last) {
        if (!open) {
            linkState.openMessage = linkState.rxWrite;
            linkState.rxWrite = Wrap(linkState.rxWrite + 2u);
        }
        WriteRxHeader(static_cast<uint16_t>(linkState.openMessage), static_cast<uint16_t>(0x8000 | total));
    } else if (open) {
        WriteRxHeader(static_cast<uint16_t>(linkState.openMessage), total);
        linkState.openMessage = -1;
    } else {
        WriteRxHeader(linkState.rxWrite, total);
        linkState.rxWrite = Wrap(linkState.rxWrite + 2u);
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
    return !strictProtocol && linkState.txHead != linkState.txTail && (OldestControl() >> 5) == FRAME_RESET_REQUEST;
}

// Drops the oldest queued frames whose numbers lie among n-15 .. n. A link reset request goes
// only with the acknowledgement of its own number, and nothing behind it goes before it.
void ReleaseUpTo(uint8_t n) {
    while (linkState.txHead != linkState.txTail) {
        const uint8_t control = OldestControl();
        if ((control >> 5) == FRAME_RESET_REQUEST && (control & kSequenceMask) != n && !strictProtocol) break;
        if ((((control & kSequenceMask) - n + 15) & kSequenceMask) >= 16) break;
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
        if (linkState.retryCount == 2) linkState.linkFailed = true;
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
    const uint8_t length = frame[1];
    const uint8_t e = linkState.expectedSequence;
    uint8_t sum = 0;
    for (uint16_t i = 2; i <= length + 1; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
    if (sum != 0) {
        SendGapReport(FRAME_REJECT, &linkState.rejectSentFor, &linkState.rejectSentAt);
        ++linkState.statistics.errors;
        return;
    }
    ++linkState.statistics.framesReceived;
    const uint8_t control = frame[2];
    const uint8_t type = control >> 5;
    const uint8_t n = control & kSequenceMask;
    const uint8_t* data = frame + 3;
    const uint16_t dataLength = static_cast<uint16_t>(length - 2);

    switch (type) {
    case FRAME_RESET_REQUEST:
        LinkReset(static_cast<uint8_t>(n + 1));
        SendControl(static_cast<uint8_t>(FRAME_ACK * 32 + n));
        break;
    case FRAME_ACK:
        linkState.lastTransmit = Now();
        ReleaseUpTo(n);
        if (length != 2 && !ResetUnanswered()) StoreData(data, dataLength, true);
        linkState.retryCount = 0;
        break;
    case FRAME_RESET:
        comm_reset();
        break;
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
        const uint8_t ahead = static_cast<uint8_t>((n - e) & kSequenceMask);
        if (ahead == 0) {
            if (type == FRAME_POLL || StoreData(data, dataLength, type == FRAME_DATA_LAST)) {
                SendControl(static_cast<uint8_t>(FRAME_ACK * 32 + e));
                linkState.expectedSequence = static_cast<uint8_t>((e + 1) & kSequenceMask);
            }
        } else if (ahead <= 15) {
            SendGapReport(FRAME_NAK, &linkState.nakSentFor, &linkState.nakSentAt);
            ++linkState.statistics.errors;
        } else {
            // A repeat of a frame already taken: acknowledge the last one taken, never the
            // expected one, which the peer may still have to deliver.
            SendControl(static_cast<uint8_t>(FRAME_ACK * 32 + (strictProtocol ? e : Previous(e))));
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
        if (b == 0xFE) {
            b = TARVIK_START_BYTE;
        } else if (b == 0x22) {
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
        s.builderExpected = static_cast<uint16_t>(b + 2);
        if (b < 2 || b > 254) s.builderIndex = 0;
        return;
    }
    s.builderFrame[s.builderIndex++] = b;
    if (s.builderIndex < s.builderExpected) return;
    s.builderIndex = 0;
    if (s.processing) return;
    uint8_t frame[256];
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
    const uint32_t needed = 256u * (size / 252) + (size % 252) + (size % 252 != 0 ? 4u : 0u);
    if (needed > TxFree()) return TARVIK_NO_ROOM;
    if (size == 0) return 0;
    if (!data) return TARVIK_NO_ROOM;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    uint16_t remaining = size;
    while (remaining > 0) {
        const uint16_t chunk = remaining < 252 ? remaining : 252;
        const uint8_t type = remaining > 252 ? FRAME_DATA_MORE : FRAME_DATA_LAST;
        ++linkState.txBusy;
        ++linkState.statistics.framesSent;
        WireFrame frame;
        const uint8_t lengthByte = static_cast<uint8_t>(chunk + 2);
        AppendTx(lengthByte);
        frame.PutEscaped(lengthByte);
        const uint8_t control = static_cast<uint8_t>(type * 32 + linkState.txSequence);
        AppendTx(control);
        frame.PutEscaped(control);
        linkState.txSequence = static_cast<uint8_t>((linkState.txSequence + 1) & 31);
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
    if (RxUsed() < 2) return 0;
    const uint16_t header = ReadRxHeader(linkState.rxRead);
    if (header & 0x8000) return 0;
    if (header > (size & 0xFFFF) || (!buffer && header > 0)) return TARVIK_NO_ROOM;
    linkState.rxRead = Wrap(linkState.rxRead + 2u);
    uint8_t* out = static_cast<uint8_t*>(buffer);
    for (uint16_t i = 0; i < header; ++i) {
        out[i] = linkState.rxRing[linkState.rxRead];
        linkState.rxRead = Wrap(linkState.rxRead + 1u);
    }
    return header;
}

TARVIK_API uint16_t get_message_size(void) {
    if (RxUsed() < 2) return 0xFFFF;
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
    const uint8_t request[] = {0x02, FRAME_RESET_REQUEST * 32 + 31, 0x41};
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
    if (queueEmpty && elapsed >= 3) {
        const uint8_t control = static_cast<uint8_t>(FRAME_POLL * 32 + linkState.txSequence);
        WireFrame frame;
        for (uint8_t b : {uint8_t{0x02}, control, Negated(control)}) {
            AppendTx(b);
            frame.PutEscaped(b);
        }
        frame.Send();
        linkState.txSequence = static_cast<uint8_t>((linkState.txSequence + 1) & 31);
        linkState.pollOutstanding = true;
        ++linkState.statistics.framesSent;
        linkState.lastTransmit = now;
    } else if (!queueEmpty && elapsed >= 2) {
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
