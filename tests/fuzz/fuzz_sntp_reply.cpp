// Arbitrary datagrams, from the server's address and port or from elsewhere, delivered to the
// SNTP client's reply handling after its request. The client must never take a datagram that
// does not answer its request, must take the first one that does, and must fail with 10040
// exactly when a datagram longer than a reply from the server comes first.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "net/id_sntp.h"
#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/udp.h"

namespace {

constexpr platform::Ipv4Endpoint kServer{0x7F000001, 123};

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_sntp_reply: %s\n", what);
    std::abort();
  }
}

// How a datagram is made once the request is known.
struct Planned {
  platform::Ipv4Endpoint from;
  int kind = 0;     // 0: raw bytes; 1: reply echoing the request; 2: reply, other originate
  std::string raw;  // kind 0, and the fields of kinds 1 and 2
  uint8_t liVnMode = 0;
  uint8_t stratum = 0;
  net::NtpTimestamp originate;
  net::NtpTimestamp transmit;
  size_t extra = 0;  // bytes appended to a reply (kinds 1 and 2), or cut when `cut`
  bool cut = false;
};

struct Delivered {
  std::string bytes;
  platform::Ipv4Endpoint from;
};

class FuzzSocket final : public platform::UdpSocket {
 public:
  FuzzSocket(std::deque<Planned>& plan, std::vector<Delivered>& delivered,
             net::NtpTimestamp& requestTransmit)
      : plan_(plan), delivered_(delivered), requestTransmit_(requestTransmit) {}

  int SendTo(const platform::Ipv4Endpoint& to, const uint8_t* data, size_t size,
             size_t& sent) override {
    Check(to == kServer, "request sent elsewhere");
    Check(size == net::SntpPacket::kSize, "request is not 48 bytes");
    requestTransmit_ = net::SntpPacket::FromBytes(data).transmit;
    sent = size;
    return 0;
  }
  int WaitReadable(int32_t, bool& readable) override {
    readable = !plan_.empty();
    return 0;
  }
  int ReceiveFrom(uint8_t* buffer, size_t capacity, size_t& received,
                  platform::Ipv4Endpoint& from) override {
    if (plan_.empty()) return platform::wsa::kWouldBlock;
    Delivered d = Make(plan_.front());
    plan_.pop_front();
    delivered_.push_back(d);
    received = std::min(capacity, d.bytes.size());
    std::copy_n(d.bytes.data(), received, buffer);
    from = d.from;
    return d.bytes.size() > capacity ? platform::wsa::kMessageSize : 0;
  }

 private:
  Delivered Make(const Planned& p) const {
    if (p.kind == 0) return {p.raw, p.from};
    net::SntpPacket reply;
    reply.liVnMode = p.liVnMode;
    reply.stratum = p.stratum;
    reply.originate = p.kind == 1 ? requestTransmit_ : p.originate;
    reply.receive = p.transmit;
    reply.transmit = p.transmit;
    std::string bytes = reply.ToBytes();
    if (p.cut) {
      bytes.resize(bytes.size() - std::min(p.extra, bytes.size()));
    } else {
      bytes += std::string(p.extra, 'x');
    }
    return {bytes, p.from};
  }

  std::deque<Planned>& plan_;
  std::vector<Delivered>& delivered_;
  net::NtpTimestamp& requestTransmit_;
};

class FuzzUdp final : public platform::UdpServices {
 public:
  std::deque<Planned> plan;
  std::vector<Delivered> delivered;
  net::NtpTimestamp requestTransmit;
  std::unique_ptr<platform::UdpSocket> CreateSocket(int& error) override {
    error = 0;
    return std::make_unique<FuzzSocket>(plan, delivered, requestTransmit);
  }
  int ResolveIpv4(const std::wstring&, uint32_t& address) override {
    address = kServer.address;
    return 0;
  }
};

class FuzzClock final : public platform::Clock {
 public:
  platform::SystemTime time;
  platform::SystemTime LocalTime() override { return time; }
  platform::SystemTime UtcTime() override { return time; }
};

class FuzzZone final : public platform::TimeZone {
 public:
  platform::TimeZoneReading reading;
  platform::TimeZoneReading Read() override { return reading; }
};

class FuzzLocale final : public platform::Locale {
 public:
  rtl::FormatSettings ReadFormatSettings() override { return {}; }
  uint32_t AnsiCodePage() override { return 936; }
  bool IsDoubleByteCodePage() override { return true; }
  std::wstring SystemErrorText(uint32_t) override { return L"error"; }
};

platform::Ipv4Endpoint Sender(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
    case 1:
      return kServer;
    case 2:
      return {kServer.address, in.ConsumeIntegral<uint16_t>()};
    default:
      return {in.ConsumeIntegral<uint32_t>(), kServer.port};
  }
}

// The rule, written out again: from the server's address and port, 48 bytes, mode 4,
// version 1 to 4, originate equal to the request's transmit timestamp.
bool Answers(const Delivered& d, const net::NtpTimestamp& requestTransmit) {
  if (d.from.address != kServer.address || d.from.port != kServer.port) return false;
  if (d.bytes.size() != 48) return false;
  const auto* b = reinterpret_cast<const uint8_t*>(d.bytes.data());
  const int mode = b[0] & 7;
  const int version = (b[0] >> 3) & 7;
  std::string echo(d.bytes, 24, 8);
  std::string sent;
  for (uint32_t word : {requestTransmit.seconds, requestTransmit.fraction})
    for (int shift = 24; shift >= 0; shift -= 8) sent += static_cast<char>(word >> shift);
  return mode == 4 && version >= 1 && version <= 4 && echo == sent;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  FuzzUdp udp;
  FuzzClock clock;
  FuzzZone zone;
  FuzzLocale locale;
  clock.time.year = static_cast<uint16_t>(in.ConsumeIntegralInRange(1601, 2200));
  clock.time.month = static_cast<uint16_t>(in.ConsumeIntegralInRange(1, 12));
  clock.time.day = static_cast<uint16_t>(in.ConsumeIntegralInRange(1, 28));
  clock.time.hour = static_cast<uint16_t>(in.ConsumeIntegralInRange(0, 23));
  clock.time.minute = static_cast<uint16_t>(in.ConsumeIntegralInRange(0, 59));
  clock.time.second = static_cast<uint16_t>(in.ConsumeIntegralInRange(0, 59));
  clock.time.milliseconds = static_cast<uint16_t>(in.ConsumeIntegralInRange(0, 999));
  zone.reading.result = in.ConsumeIntegralInRange<uint32_t>(0, 3);
  zone.reading.bias = in.ConsumeIntegralInRange(-1440, 1440);
  zone.reading.standardBias = in.ConsumeIntegralInRange(-120, 120);
  zone.reading.daylightBias = in.ConsumeIntegralInRange(-120, 120);

  const int count = in.ConsumeIntegralInRange(0, 12);
  for (int i = 0; i < count; ++i) {
    Planned p;
    p.from = Sender(in);
    p.kind = in.ConsumeIntegralInRange(0, 2);
    if (p.kind == 0) {
      p.raw = in.ConsumeRandomLengthString(120);
    } else {
      p.liVnMode = in.ConsumeIntegral<uint8_t>();
      p.stratum = in.ConsumeIntegral<uint8_t>();
      p.originate = {in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegral<uint32_t>()};
      p.transmit = {in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegral<uint32_t>()};
      p.cut = in.ConsumeBool();
      p.extra = in.ConsumeIntegralInRange<size_t>(0, 3) == 0
                    ? in.ConsumeIntegralInRange<size_t>(0, 60)
                    : 0;
    }
    udp.plan.push_back(p);
  }

  net::TIdSNTP client(udp, clock, zone, locale);
  client.Host = L"127.0.0.1";
  client.ReceiveTimeout = 60000;  // never reached: the fake socket reports the end at once
  const bool viaServerTime = in.ConsumeBool();
  bool tooLong = false;
  bool timeZoneFailed = false;
  net::SntpSample sample;
  rtl::TDateTime serverTime = 0.0;
  try {
    if (viaServerTime) {
      serverTime = client.ServerTime();
    } else {
      sample = client.Exchange();
    }
  } catch (const net::EIdSocketError& e) {
    Check(e.LastError() == 10040, "socket error other than 10040");
    tooLong = true;
  } catch (const net::EIdException&) {
    Check(zone.reading.result > 2, "time-zone error from a readable time zone");
    timeZoneFailed = true;
  }

  // What the rule expects: the first datagram from the server that is too long or answers.
  const Delivered* answer = nullptr;
  const Delivered* tooLongOne = nullptr;
  for (const Delivered& d : udp.delivered) {
    if (d.from == kServer && d.bytes.size() > 48) {
      tooLongOne = &d;
      break;
    }
    if (Answers(d, udp.requestTransmit)) {
      answer = &d;
      break;
    }
  }
  Check(tooLong == (tooLongOne != nullptr), "10040 raised wrongly or missed");
  if (tooLong) {
    Check(tooLongOne == &udp.delivered.back(), "reading went on after the long datagram");
    return 0;
  }
  if (answer == nullptr) {
    Check(!sample.usable && serverTime == 0.0 && !timeZoneFailed, "took a non-matching datagram");
    Check(udp.plan.empty(), "stopped waiting before the time-out");
    return 0;
  }
  Check(answer == &udp.delivered.back(), "read on after the answer");
  const auto reply =
      net::SntpPacket::FromBytes(reinterpret_cast<const uint8_t*>(answer->bytes.data()));
  const bool usable = !net::IsReplyRejected(reply);
  if (viaServerTime) {
    if (!usable) Check(serverTime == 0.0 && !timeZoneFailed, "rejected reply gave a time");
    if (usable && !timeZoneFailed) {
      Check(serverTime == net::DecodeNtpTimestamp(reply.transmit.seconds, reply.transmit.fraction,
                                                  net::LocalUtcBias(zone, locale)),
            "server time is not the answer's transmit time");
    }
  } else {
    Check(sample.usable == usable, "usable flag differs from the validity check");
    Check(sample.serverTransmit == reply.transmit && sample.serverReceive == reply.receive,
          "sample does not carry the answer's timestamps");
    Check(sample.clientSend == udp.requestTransmit, "T1 is not the request's transmit time");
  }
  return 0;
}
