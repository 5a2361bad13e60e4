#pragma once
// The SNTP client: one request/reply exchange with a time server (RFC 4330 message layout).
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/id_udp_client.h"
#include "platform/clock.h"
#include "platform/locale.h"
#include "rtl/datetime.h"

namespace net {

// Seconds since 1900-01-01 00:00:00 UTC (in the era rule of DecodeNtpTimestamp) and a fraction
// of a second in units of 2^-32 s, in host byte order.
struct NtpTimestamp {
  uint32_t seconds = 0;
  uint32_t fraction = 0;
  bool operator==(const NtpTimestamp&) const = default;
};

// The 48-byte message shared by request and reply; fields in host order, big-endian on the wire.
struct SntpPacket {
  static constexpr size_t kSize = 48;

  uint8_t liVnMode = 0;  // leap indicator (bits 7-6), version (5-3), mode (2-0)
  uint8_t stratum = 0;
  uint8_t poll = 0;
  uint8_t precision = 0;
  uint32_t rootDelay = 0;
  uint32_t rootDispersion = 0;
  uint32_t referenceId = 0;
  NtpTimestamp reference;
  NtpTimestamp originate;
  NtpTimestamp receive;
  NtpTimestamp transmit;

  int LeapIndicator() const { return liVnMode >> 6; }
  int Version() const { return (liVnMode >> 3) & 7; }
  int Mode() const { return liVnMode & 7; }

  std::string ToBytes() const;
  // Reads the first kSize bytes of `bytes`.
  static SntpPacket FromBytes(const uint8_t* bytes);
};

// Local date-time -> NTP timestamp, with UTC = local + bias (days). The seconds wrap modulo 2^32,
// so from 2036-02-07 06:28:16 UTC on they count again from 0.
NtpTimestamp EncodeNtpTimestamp(rtl::TDateTime local, double bias);
// NTP timestamp -> local date-time. Seconds with the top bit set lie in 1968..2036, the others in
// the era starting 2036-02-07 06:28:16 UTC; the fraction is cut to whole milliseconds.
rtl::TDateTime DecodeNtpTimestamp(uint32_t seconds, uint32_t fraction, double bias);
// The same as a UTC date-time.
rtl::TDateTime NtpTimestampToUtc(const NtpTimestamp& timestamp);

// The bias in force now, in days (UTC = local + bias), from the time-zone information; EIdException
// with the system's text for the error when the time zone cannot be read.
double LocalUtcBias(platform::TimeZone& timeZone, platform::Locale& locale);
// The same three as the unit's own functions, on the time zone now in force.
NtpTimestamp EncodeNtpTimestamp(rtl::TDateTime local, platform::TimeZone& timeZone,
                                platform::Locale& locale);
rtl::TDateTime DecodeNtpTimestamp(uint32_t seconds, uint32_t fraction, platform::TimeZone& timeZone,
                                  platform::Locale& locale);

// True for a reply not to be used: clock not synchronised (leap indicator 3), no transmit
// timestamp, or a stratum of 0 (Kiss-o'-Death) or above 15.
bool IsReplyRejected(const SntpPacket& reply);

enum class ReplyMatch {
  kSkip,     // not the answer to our request: keep waiting
  kMatch,    // the server's answer to our request
  kTooLong,  // longer than a reply, from the server's address and port: socket error 10040
};
// Whether a datagram answers the request whose transmit timestamp was `requestTransmit`, sent
// to `server`: it must come from there, be 48 bytes long, have mode 4 (server), version 1 to 4
// and echo the request's transmit timestamp as its originate timestamp.
ReplyMatch MatchReply(const uint8_t* bytes, size_t size, bool truncated,
                      const platform::Ipv4Endpoint& from, const platform::Ipv4Endpoint& server,
                      const NtpTimestamp& requestTransmit);

// One exchange, seen whole: what the clock-setting command needs besides the server's time.
struct SntpSample {
  bool usable = false;          // a matching reply came and IsReplyRejected passed it
  NtpTimestamp clientSend;      // T1: the request's transmit timestamp
  NtpTimestamp serverReceive;   // T2: the reply's receive timestamp
  NtpTimestamp serverTransmit;  // T3: the reply's transmit timestamp
  NtpTimestamp clientReceive;   // T4: the client's clock when the reply came
  double offset = 0.0;          // seconds to add to the client's clock ((T2-T1)+(T3-T4))/2
  double delay = 0.0;           // round trip without the server's time (T4-T1)-(T3-T2)
};

// Seconds from b to a, each read with the era rule.
double NtpDifference(const NtpTimestamp& a, const NtpTimestamp& b);

class TIdSNTP : public TIdUDPClient {
 public:
  // The clock stamps the request and the reply's arrival; the time zone (and the locale, for its
  // error texts) turn the server's time into local time.
  TIdSNTP(platform::UdpServices& udp, platform::Clock& clock, platform::TimeZone& timeZone,
          platform::Locale& locale);

  // One exchange: the server's transmit time as a local date-time, or 0.0 when no usable reply
  // came within ReceiveTimeout.
  rtl::TDateTime ServerTime();
  // One exchange with all four timestamps.
  SntpSample Exchange();

 private:
  platform::Clock& clock_;
  platform::TimeZone& timeZone_;
  platform::Locale& locale_;
};

}  // namespace net
