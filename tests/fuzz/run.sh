#!/usr/bin/env bash
# Builds the libFuzzer targets of the decoders that read what comes from
# outside with clang-14 (AddressSanitizer and UndefinedBehaviorSanitizer on)
# and runs each for a while on a seed corpus of real encodings:
#   decode_message_fuzz   the SNMP message decoder (every datagram a session takes)
#   gateway_packet_fuzz   the gateway library's response-packet parser
#   ber_reader_fuzz       CBerReader, which decodes the gateway's values
# Prints the executions per target and exits non-zero when a fuzzer found a
# crash (the input is kept in the build folder).
#   tests/fuzz/run.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-${LUMET_FUZZ_SECONDS:-25}}
build=${2:-$root/build/fuzz}
ovsnmp=$root/platform/ovsnmp
kestrel=$root/platform/kestrel
snmp=$root/snmp
mkdir -p "$build/crashes"

# build NAME SOURCE... : the target, rebuilt when a source or header changed.
build() {
  local name=$1; shift
  local target=$build/$name
  local sources=("$root/tests/fuzz/$name.cpp" "$@")
  if [ ! -x "$target" ] ||
     [ -n "$(find "${sources[@]}" "$ovsnmp"/*.h "$kestrel"/*.h "$snmp"/*.h -newer "$target" 2>/dev/null)" ]; then
    clang++-14 -std=c++20 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined \
      -fno-sanitize-recover=undefined -I"$ovsnmp" -I"$kestrel" -I"$snmp" "${sources[@]}" -o "$target"
  fi
}

build decode_message_fuzz "$ovsnmp/Ber.cpp" "$ovsnmp/Pdu.cpp" "$ovsnmp/SnmpMessage.cpp"
build gateway_packet_fuzz "$kestrel/GatewayPacket.cpp" "$ovsnmp/Ber.cpp" \
  "$snmp/BerReader.cpp" "$snmp/MibValue.cpp" "$snmp/ObjectId.cpp" "$snmp/AddressNet.cpp"
build ber_reader_fuzz "$ovsnmp/Ber.cpp" "$snmp/BerReader.cpp" "$snmp/MibValue.cpp" "$snmp/ObjectId.cpp" \
  "$snmp/AddressNet.cpp"

# Seeds: real messages of every kind the decoder meets (a get-next as
# net-snmp sends it, responses with every value type, an error response,
# long lengths, both trap layouts, a walk's answer with many rows), and
# single values as the gateway hands them out.
mkdir -p "$build/corpus/decode_message" "$build/corpus/gateway_packet" "$build/corpus/ber_reader"
/usr/bin/python3 - "$build/corpus" <<'PY'
import os, sys
out = sys.argv[1]

def tlv(tag, body):
    n = len(body)
    if n < 0x80:
        head = bytes([n])
    else:
        b = n.to_bytes((n.bit_length() + 7) // 8, "big")
        head = bytes([0x80 | len(b)]) + b
    return bytes([tag]) + head + body

def integer(n, tag=0x02):
    return tlv(tag, n.to_bytes(max(1, (n.bit_length() + 8) // 8), "big", signed=True))

def unsigned(n, tag):
    return tlv(tag, n.to_bytes(max(1, (n.bit_length() + 8) // 8), "big"))

def oid(text, tag=0x06):
    arcs = [int(x) for x in text.split(".")]
    body = bytearray()
    for i, a in enumerate([arcs[0] * 40 + arcs[1]] + arcs[2:]):
        chunk = [a & 0x7F]
        a >>= 7
        while a:
            chunk.append(0x80 | (a & 0x7F))
            a >>= 7
        body += bytes(reversed(chunk))
    return tlv(tag, bytes(body))

def message(version, community, pdu_tag, fields, varbinds):
    vbl = tlv(0x30, b"".join(tlv(0x30, oid(n) + v) for n, v in varbinds))
    return tlv(0x30, integer(version) + tlv(0x04, community) + tlv(pdu_tag, b"".join(fields) + vbl))

typed = [
    ("1.3.6.1.9.1", integer(-70000)), ("1.3.6.1.9.2", tlv(0x04, b"ORVAN LP-9800C")),
    ("1.3.6.1.9.3", tlv(0x03, b"\x00\xa0")), ("1.3.6.1.9.4", tlv(0x05, b"")),
    ("1.3.6.1.9.5", tlv(0x40, bytes([127, 0, 0, 11]))), ("1.3.6.1.9.6", unsigned(4294967295, 0x41)),
    ("1.3.6.1.9.7", unsigned(10, 0x42)), ("1.3.6.1.9.8", unsigned(8650400, 0x43)),
    ("1.3.6.1.9.9", tlv(0x44, b"\x9f\x78\x04\x42\xf6\x00\x00")),
    ("1.3.6.1.9.10", unsigned((1 << 40) + 5, 0x46)), ("1.3.6.1.9.11", oid("1.3.6.1.4.1.32473.1.2.1.7.69")),
    ("1.3.6.1.9.12", tlv(0x80, b"")), ("1.3.6.1.9.13", tlv(0x81, b"")), ("1.3.6.1.9.14", tlv(0x82, b""))]
seeds = {
    "decode_message": {
        "getnext": message(0, b"vestry", 0xA1, [integer(0x66A179), integer(0), integer(0)],
                           [("1.3.6.1.2.1.43.18.1.1.2.1.5", tlv(0x05, b""))]),
        "response-types": message(1, b"public", 0xA2, [integer(7), integer(0), integer(0)], typed),
        "error": message(0, b"public", 0xA2, [integer(99), integer(2), integer(2)],
                         [("1.3.6.1.2.1.1.1.0", tlv(0x05, b"")), ("1.3.6.1.2.1.1.9.0", tlv(0x05, b""))]),
        "long": message(0, b"public", 0xA2, [integer(1), integer(0), integer(0)],
                        [("1.3.6.1.2.1.43.18.1.1.8.1.%d" % i, tlv(0x04, b"x" * 150)) for i in range(3)]),
        "trap-v1": tlv(0x30, integer(0) + tlv(0x04, b"public") + tlv(0xA4,
            oid("1.3.6.1.2.1.43") + tlv(0x40, bytes([127, 0, 0, 11])) + integer(6) + integer(1) +
            unsigned(8700001, 0x43) + tlv(0x30, tlv(0x30, oid("1.3.6.1.2.1.43.18.1.1.7.1.2") + integer(808))))),
        "trap-v2": message(1, b"public", 0xA7, [integer(5), integer(0), integer(0)], [
            ("1.3.6.1.2.1.1.3.0", unsigned(42, 0x43)), ("1.3.6.1.6.3.1.1.4.1.0", oid("1.3.6.1.2.1.43.18.2.0.1")),
            ("1.3.6.1.2.1.43.18.1.1.2.1.2", integer(4))]),
    },
    "gateway_packet": {
        "get": message(0, b"vestry", 0xA2, [integer(0), integer(0), integer(0)],
                       [("1.3.6.1.2.1.25.3.2.1.3.1", tlv(0x04, b"ORVAN LP-9800C"))]),
        "types": message(0, b"public", 0xA2, [integer(7), integer(0), integer(0)], typed),
        "walk": message(0, b"vestry", 0xA2, [integer(0), integer(0), integer(0)],
                        [("1.3.6.1.2.1.43.18.1.1.%d.1.%d" % (c, r), integer(c * r) if c < 8 else tlv(0x04, b"Tray %d" % r))
                         for c in range(2, 10) for r in (2, 5, 7)]),
        "empty": message(0, b"vestry", 0xA2, [integer(0), integer(0), integer(0)], []),
    },
    "ber_reader": {
        "integer": integer(-2), "counter-max": tlv(0x41, b"\x00\xff\xff\xff\xff"),
        "integer-5": tlv(0x02, b"\x00\xff\xff\xff\xff"), "gauge": unsigned(80, 0x42),
        "ticks": unsigned(8650400, 0x43), "string": tlv(0x04, b"ORVAN LP-9800C"),
        "string-long": tlv(0x04, b"y" * 300), "null": tlv(0x05, b""),
        "oid": oid("1.3.6.1.4.1.32473.1.2.1.7.4294967295"), "oid-zero": oid("0.0"),
        "ip": tlv(0x40, bytes([127, 0, 0, 11])), "opaque": tlv(0x44, b"\x9f\x78"),
    },
}
for target, files in seeds.items():
    for name, data in files.items():
        with open(os.path.join(out, target, "seed-" + name), "wb") as f:
            f.write(data)
PY

status=0
for name in decode_message gateway_packet ber_reader; do
  target=$build/${name}_fuzz
  log=$build/$name.log
  result=0
  (cd "$build/crashes" && "$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 "$build/corpus/$name") >"$log" 2>&1 || result=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  corpus=$(ls "$build/corpus/$name" | wc -l)
  if [ $result -ne 0 ]; then
    echo "fuzz: ${name}_fuzz FOUND A PROBLEM after ${runs:-?} executions; see $log and $build/crashes" >&2
    tail -40 "$log" >&2
    status=1
  else
    echo "fuzz: ${name}_fuzz ran ${runs:-?} executions in ${seconds}s, no crash (corpus $corpus inputs)"
  fi
done
exit $status
