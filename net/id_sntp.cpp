#include "net/id_sntp.h"

#include <chrono>
#include <cmath>
#include <cstring>

namespace net {
namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kEra = int64_t{1} << 32;
// Day 2 of the date-time scale is 1900-01-01, where NTP seconds start.
constexpr int64_t kNtpOriginDay = 2;

void PutWord(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutTimestamp(std::string& out, const NtpTimestamp& timestamp) {
  PutWord(out, timestamp.seconds);
  PutWord(out, timestamp.fraction);
}

uint32_t GetWord(const uint8_t* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
         uint32_t{bytes[3]};
}

NtpTimestamp GetTimestamp(const uint8_t* bytes) {
  return {GetWord(bytes), GetWord(bytes + 4)};
}

// Seconds since 1900 in the era rule of RFC 4330 section 3: the top bit clear means the era
// that starts in 2036, so the values cover 1968-01-20 .. 2104-02-26.
int64_t UnfoldSeconds(uint32_t seconds) {
  return (seconds & 0x80000000u) != 0 ? int64_t{seconds} : int64_t{seconds} + kEra;
}

}  // namespace

std::string SntpPacket::ToBytes() const {
  std::string out;
  out.reserve(kSize);
  out += static_cast<char>(liVnMode);
  out += static_cast<char>(stratum);
  out += static_cast<char>(poll);
  out += static_cast<char>(precision);
  PutWord(out, rootDelay);
  PutWord(out, rootDispersion);
  PutWord(out, referenceId);
  PutTimestamp(out, reference);
  PutTimestamp(out, originate);
  PutTimestamp(out, receive);
  PutTimestamp(out, transmit);
  return out;
}

SntpPacket SntpPacket::FromBytes(const uint8_t* bytes) {
  SntpPacket packet;
  packet.liVnMode = bytes[0];
  packet.stratum = bytes[1];
  packet.poll = bytes[2];
  packet.precision = bytes[3];
  packet.rootDelay = GetWord(bytes + 4);
  packet.rootDispersion = GetWord(bytes + 8);
  packet.referenceId = GetWord(bytes + 12);
  packet.reference = GetTimestamp(bytes + 16);
  packet.originate = GetTimestamp(bytes + 24);
  packet.receive = GetTimestamp(bytes + 32);
  packet.transmit = GetTimestamp(bytes + 40);
  return packet;
}

NtpTimestamp EncodeNtpTimestamp(rtl::TDateTime local, double bias) {
  // Far outside any date-time (and NaN): no time to send.
  if (!(std::fabs(local) < 1e9) || !(std::fabs(bias) < 1e3)) return {};
  // Date-times carry milliseconds; counting in whole milliseconds removes the representation
  // error of the double, so 08:00:00.500 gives exactly half a second.
  int64_t ms =
      std::llround(local * kMsPerDay) + std::llround(bias * kMsPerDay) - kNtpOriginDay * kMsPerDay;
  int64_t seconds = ms / 1000;
  int64_t milliseconds = ms % 1000;
  if (milliseconds < 0) {
    milliseconds += 1000;
    seconds -= 1;
  }
  NtpTimestamp timestamp;
  timestamp.seconds = static_cast<uint32_t>(((seconds % kEra) + kEra) % kEra);
  // Rounded up, so that decoding (which cuts to milliseconds) gives the same millisecond back.
  timestamp.fraction = static_cast<uint32_t>((milliseconds * kEra + 999) / 1000);
  return timestamp;
}

rtl::TDateTime DecodeNtpTimestamp(uint32_t seconds, uint32_t fraction, double bias) {
  int64_t ms = (uint64_t{fraction} * 1000) >> 32;
  int64_t total = UnfoldSeconds(seconds) * 1000 + ms;
  return static_cast<double>(total) / kMsPerDay - bias + kNtpOriginDay;
}

rtl::TDateTime NtpTimestampToUtc(const NtpTimestamp& timestamp) {
  return DecodeNtpTimestamp(timestamp.seconds, timestamp.fraction, 0.0);
}

double NtpDifference(const NtpTimestamp& a, const NtpTimestamp& b) {
  double whole = static_cast<double>(UnfoldSeconds(a.seconds) - UnfoldSeconds(b.seconds));
  return whole + (static_cast<double>(a.fraction) - static_cast<double>(b.fraction)) / kEra;
}

double LocalUtcBias(platform::TimeZone& timeZone, platform::Locale& locale) {
  platform::TimeZoneReading reading = timeZone.Read();
  int64_t minutes;
  switch (reading.result) {
    case 0:  // no daylight-saving rules
      minutes = reading.bias;
      break;
    case 1:  // standard time
      minutes = int64_t{reading.bias} + reading.standardBias;
      break;
    case 2:  // daylight time
      minutes = int64_t{reading.bias} + reading.daylightBias;
      break;
    default:
      throw EIdException(locale.SystemErrorText(reading.lastError));
  }
  return static_cast<double>(minutes) / 1440.0;
}

NtpTimestamp EncodeNtpTimestamp(rtl::TDateTime local, platform::TimeZone& timeZone,
                                platform::Locale& locale) {
  return EncodeNtpTimestamp(local, LocalUtcBias(timeZone, locale));
}

rtl::TDateTime DecodeNtpTimestamp(uint32_t seconds, uint32_t fraction, platform::TimeZone& timeZone,
                                  platform::Locale& locale) {
  return DecodeNtpTimestamp(seconds, fraction, LocalUtcBias(timeZone, locale));
}

bool IsReplyRejected(const SntpPacket& reply) {
  return reply.LeapIndicator() == 3 || reply.transmit == NtpTimestamp{} || reply.stratum == 0 ||
         reply.stratum > 15;
}

ReplyMatch MatchReply(const uint8_t* bytes, size_t size, bool truncated,
                      const platform::Ipv4Endpoint& from, const platform::Ipv4Endpoint& server,
                      const NtpTimestamp& requestTransmit) {
  if (from != server) return ReplyMatch::kSkip;
  if (truncated || size > SntpPacket::kSize) return ReplyMatch::kTooLong;
  if (size < SntpPacket::kSize) return ReplyMatch::kSkip;
  SntpPacket reply = SntpPacket::FromBytes(bytes);
  if (reply.Mode() != 4 || reply.Version() < 1 || reply.Version() > 4) return ReplyMatch::kSkip;
  if (reply.originate != requestTransmit) return ReplyMatch::kSkip;
  return ReplyMatch::kMatch;
}

TIdSNTP::TIdSNTP(platform::UdpServices& udp, platform::Clock& clock, platform::TimeZone& timeZone,
                 platform::Locale& locale)
    : TIdUDPClient(udp), clock_(clock), timeZone_(timeZone), locale_(locale) {
  Port = 123;
}

SntpSample TIdSNTP::Exchange() {
  SntpSample sample;
  SntpPacket request;
  request.liVnMode = 0x1B;  // leap indicator 0, version 3, mode 3 (client)
  BufferSize = static_cast<int32_t>(SntpPacket::kSize);
  // Resolve the server before reading the clock: the lookup's time is no network delay.
  PrepareDestination();
  // Read in UTC directly: a local reading would need the bias of the same instant.
  sample.clientSend = EncodeNtpTimestamp(platform::ToDateTime(clock_.UtcTime()), 0.0);
  request.transmit = sample.clientSend;
  SendPrepared(request.ToBytes());
  const platform::Ipv4Endpoint server = LastDestination();

  // Datagrams that are not the answer (stale replies of an earlier query, strangers, forgeries)
  // are passed over until the answer comes or the time is up.
  using Steady = std::chrono::steady_clock;
  const auto deadline =
      Steady::now() + std::chrono::milliseconds(ReceiveTimeout > 0 ? ReceiveTimeout : 0);
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now()).count();
    Datagram datagram;
    if (!ReceiveDatagram(static_cast<int32_t>(left > 0 ? left : 0), datagram)) return sample;
    const auto* bytes = reinterpret_cast<const uint8_t*>(datagram.bytes.data());
    switch (MatchReply(bytes, datagram.bytes.size(), datagram.truncated, datagram.from, server,
                       sample.clientSend)) {
      case ReplyMatch::kSkip:
        if (Steady::now() >= deadline) return sample;
        continue;
      case ReplyMatch::kTooLong:
        throw EIdSocketError(platform::wsa::kMessageSize);
      case ReplyMatch::kMatch:
        break;
    }
    sample.clientReceive = EncodeNtpTimestamp(platform::ToDateTime(clock_.UtcTime()), 0.0);
    SntpPacket reply = SntpPacket::FromBytes(bytes);
    sample.serverReceive = reply.receive;
    sample.serverTransmit = reply.transmit;
    sample.usable = !IsReplyRejected(reply);
    if (sample.usable) {
      const NtpTimestamp &t1 = sample.clientSend, &t2 = sample.serverReceive,
                         &t3 = sample.serverTransmit, &t4 = sample.clientReceive;
      sample.offset = (NtpDifference(t2, t1) + NtpDifference(t3, t4)) / 2;
      sample.delay = NtpDifference(t4, t1) - NtpDifference(t3, t2);
    }
    return sample;
  }
}

rtl::TDateTime TIdSNTP::ServerTime() {
  SntpSample sample = Exchange();
  if (!sample.usable) return 0.0;
  return DecodeNtpTimestamp(sample.serverTransmit.seconds, sample.serverTransmit.fraction,
                            timeZone_, locale_);
}

}  // namespace net
