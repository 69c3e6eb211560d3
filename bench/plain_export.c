/* The export job done the plainest way, as a yardstick for kolvex-export: one C pass over the
 * table's raw bytes, no SQL, no record sets, no list. It reads a TRAN table as the project's
 * generator writes it (character and numeric fields, no nulls or memos), keeps the live records
 * whose NE_DATE lies from FROM to TO, puts them in day and member-code order and writes the same
 * export text as kolvex-export:
 *
 *     plain_export TABLE FROM TO > out.tsv        (FROM and TO as yyyy/mm/dd, FROM first)
 *
 * bench/export_bench.py runs it beside kolvex-export, in turns, so that the two figures come
 * from the same state of the machine. */
#define _POSIX_C_SOURCE 200809L /* pread */

#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kFields = 9, kBlock = 1 << 18 };

static const char* const kNames[kFields] = {
    "MEM_CODE", "NE_DATE", "COLL_TIME", "VOLUME_LT", "FAT_PER", "SNF", "TS_COMM", "RATE", "AMOUNT"};

struct Field {
  unsigned offset, length;
};

static struct Field fields[kFields];
static unsigned record_length;
static const unsigned char* kept; /* the matching records, back to back */
static long long* order_keys;     /* yyyymmdd of each kept record */

static void fail(const char* what) {
  fprintf(stderr, "plain_export: %s\n", what);
  exit(1);
}

/* "dd/mm/yyyy" as the number yyyymmdd. */
static long long stored_day(const unsigned char* d) {
  return ((d[6] - '0') * 1000 + (d[7] - '0') * 100 + (d[8] - '0') * 10 + (d[9] - '0')) * 10000LL +
         ((d[3] - '0') * 10 + (d[4] - '0')) * 100 + (d[0] - '0') * 10 + (d[1] - '0');
}

/* "yyyy/mm/dd" as the number yyyymmdd. */
static long long typed_day(const char* t) {
  return atoll(t) * 10000 + atoi(t + 5) * 100 + atoi(t + 8);
}

static int compare(const void* pa, const void* pb) {
  const unsigned a = *(const unsigned*)pa, b = *(const unsigned*)pb;
  if (order_keys[a] != order_keys[b]) return order_keys[a] < order_keys[b] ? -1 : 1;
  const int code = memcmp(kept + (size_t)a * record_length + fields[0].offset,
                          kept + (size_t)b * record_length + fields[0].offset, fields[0].length);
  if (code != 0) return code;
  return a < b ? -1 : a > b; /* records of one member and day keep their order */
}

/* A stored number as an integer and its count of decimals. */
static long long parse(const unsigned char* p, unsigned length, int* scale) {
  long long value = 0;
  int negative = 0, decimals = -1;
  for (unsigned i = 0; i < length; ++i) {
    const unsigned char c = p[i];
    if (c == '-') negative = 1;
    if (c == '.') decimals = 0;
    if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      if (decimals >= 0) ++decimals;
    }
  }
  *scale = decimals < 0 ? 0 : decimals;
  return negative ? -value : value;
}

/* `value` / 10^`scale` in shortest form, written at `out`; returns the end. */
static char* write_number(long long value, int scale, char* out) {
  while (scale > 0 && value % 10 == 0) {
    value /= 10;
    --scale;
  }
  char digits[32];
  int n = 0;
  unsigned long long magnitude =
      value < 0 ? 0ULL - (unsigned long long)value : (unsigned long long)value;
  do {
    digits[n++] = (char)('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0 || n <= scale);
  if (value < 0) *out++ = '-';
  while (n > 0) {
    if (n == scale) *out++ = '.';
    *out++ = digits[--n];
  }
  return out;
}

int main(int argc, char** argv) {
  if (argc != 4) fail("usage: plain_export TABLE FROM TO");
  const int fd = open(argv[1], O_RDONLY);
  if (fd < 0) fail("cannot open the table");
  unsigned char header[32];
  if (pread(fd, header, 32, 0) != 32) fail("not a table");
  const uint32_t count = header[4] | header[5] << 8 | header[6] << 16 | (uint32_t)header[7] << 24;
  const unsigned header_length = header[8] | header[9] << 8;
  record_length = header[10] | header[11] << 8;
  unsigned char* descriptors = malloc(header_length);
  if (pread(fd, descriptors, header_length, 0) != (ssize_t)header_length) fail("short header");
  unsigned offset = 1;
  for (unsigned at = 32; at + 32 <= header_length && descriptors[at] != 0x0D; at += 32) {
    for (int f = 0; f < kFields; ++f) {
      if (strncmp((const char*)descriptors + at, kNames[f], 11) == 0) {
        fields[f].offset = offset;
        fields[f].length = descriptors[at + 16];
      }
    }
    offset += descriptors[at + 16];
  }

  const long long from = typed_day(argv[2]), to = typed_day(argv[3]);
  size_t capacity = 1 << 16, used = 0;
  unsigned char* records = malloc(capacity * record_length);
  long long* keys = malloc(capacity * sizeof *keys);
  unsigned char* block = malloc(kBlock);
  const unsigned per_block = kBlock / record_length;
  for (uint32_t first = 0; first < count; first += per_block) {
    const unsigned n = count - first < per_block ? count - first : per_block;
    const size_t bytes = (size_t)n * record_length;
    if (pread(fd, block, bytes, header_length + (off_t)first * record_length) != (ssize_t)bytes) {
      fail("cut short");
    }
    for (unsigned i = 0; i < n; ++i) {
      const unsigned char* r = block + (size_t)i * record_length;
      if (r[0] == '*') continue;
      const long long day = stored_day(r + fields[1].offset);
      if (day < from || day > to) continue;
      if (used == capacity) {
        capacity *= 2;
        records = realloc(records, capacity * record_length);
        keys = realloc(keys, capacity * sizeof *keys);
      }
      memcpy(records + used * record_length, r, record_length);
      keys[used++] = day;
    }
  }

  kept = records;
  order_keys = keys;
  unsigned* order = malloc(used * sizeof *order);
  for (size_t i = 0; i < used; ++i) order[i] = (unsigned)i;
  qsort(order, used, sizeof *order, compare);

  char *out = malloc(used * 128 + 256), *p = out;
  p += sprintf(p, "mem_code\tne_date\tcoll_time\tvolume_lt\tfat\tsnf\tts_comm\trate\tamount");
  for (size_t i = 0; i < used; ++i) {
    const unsigned char* r = records + (size_t)order[i] * record_length;
    *p++ = '\r';
    *p++ = '\n';
    memcpy(p, r + fields[0].offset, fields[0].length);
    p += fields[0].length;
    const unsigned char* d = r + fields[1].offset;
    *p++ = '\t';
    memcpy(p, d + 6, 4);
    p[4] = '/';
    memcpy(p + 5, d + 3, 2);
    p[7] = '/';
    memcpy(p + 8, d, 2);
    p[10] = '\t';
    p += 11;
    memcpy(p, r + fields[2].offset, fields[2].length);
    p += fields[2].length;
    int volume_scale = 0, rate_scale = 0, scale = 0;
    long long volume = 0, rate = 0;
    for (int f = 3; f <= 7; ++f) {
      *p++ = '\t';
      const long long value = parse(r + fields[f].offset, fields[f].length, &scale);
      p = write_number(value, scale, p);
      if (f == 3) volume = value, volume_scale = scale;
      if (f == 7) rate = value, rate_scale = scale;
    }
    *p++ = '\t';
    p = write_number(volume * rate, volume_scale + rate_scale, p);
  }
  fwrite(out, 1, (size_t)(p - out), stdout);
  return 0;
}
