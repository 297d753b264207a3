/* One round of the processor benchmark: array loops over bytes, words and
 * longs, an insertion sort, a linked list, a text scan through a switch,
 * recursion, calls through a table, 16-bit multiply and divide, 32-bit
 * multiply and divide through the runtime helpers, block copies and TRAP
 * calls.
 *
 * Built for the 68000 and for the host. All arithmetic that may wrap is
 * unsigned; signed values stay in range; no pointer value reaches a result.
 */
#include "workload.h"

#define NOINLINE __attribute__((noinline))

enum { NL = 96, NW = 96, NB = 256, NN = 48, NS = 64, MAT = 6, NBLK = 8 };

struct node {
    struct node* next;
    uint32_t key;
    uint16_t weight;
    uint8_t tag;
    uint8_t pad;
};

struct block {
    uint32_t w[12];
    uint16_t h[4];
};

static uint32_t seed;
static uint32_t longs[NL];
static uint16_t words[NW];
static int16_t swords[NW];
static uint8_t bytes[NB];
static uint8_t text[NB + 1];
static uint16_t sorted[NS];
static struct node nodes[NN];
static int16_t ma[MAT][MAT], mb[MAT][MAT];
static int32_t mc[MAT][MAT];
static struct block blocks[NBLK];

static uint32_t rotl(uint32_t x, unsigned n) {
    return (x << n) | (x >> (32 - n));   /* n is 1..31 at every call */
}

/* DIVS.W with a quotient that fits: quotient and remainder. */
static int16_t divs16(int32_t n, int16_t d, int16_t* rem) {
#ifdef __m68k__
    uint32_t r = (uint32_t)n;
    __asm__("divs.w %1,%0" : "+d"(r) : "dm"(d) : "cc");
    *rem = (int16_t)(uint16_t)(r >> 16);
    return (int16_t)(uint16_t)r;
#else
    *rem = (int16_t)(n % d);
    return (int16_t)(n / d);
#endif
}

#ifndef __m68k__
uint32_t wl_trap(uint32_t a, uint32_t b) {
    return rotl(a, 5) + b;
}
#endif

static NOINLINE uint32_t rnd(void) {
    uint32_t x = seed;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    seed = x;
    return x;
}

static NOINLINE void fill(uint32_t round) {
    int i;
    seed = round * 2654435761u + 0x9E3779B9u;
    if (seed == 0)
        seed = 1;
    for (i = 0; i < NL; i++)
        longs[i] = rnd();
    for (i = 0; i < NW; i++) {
        uint32_t v = rnd();
        words[i] = (uint16_t)v;
        swords[i] = (int16_t)(uint16_t)(v >> 16);
    }
    for (i = 0; i < NB; i++)
        bytes[i] = (uint8_t)(rnd() >> 24);
    for (i = 0; i < MAT * MAT; i++) {
        uint32_t v = rnd();
        ma[i / MAT][i % MAT] = (int16_t)((int32_t)(v & 0x3FF) - 512);
        mb[i % MAT][i / MAT] = (int16_t)((int32_t)((v >> 12) & 0x7FF) - 1024);
    }
}

static NOINLINE uint32_t sum_bytes(const uint8_t* p, int n) {
    uint32_t s = 0, x = 0;
    int i;
    for (i = 0; i < n; i++) {
        s += p[i];
        x ^= (uint32_t)p[i] << (i & 15);
    }
    return s ^ (x << 3);
}

static NOINLINE uint32_t sum_longs(const uint32_t* p, int n) {
    uint32_t s = 0;
    int i;
    for (i = 0; i < n; i++) {
        s += p[i];
        if (p[i] & (1u << (i & 31)))
            s ^= 0xA5A5A5A5u;
    }
    return s;
}

static NOINLINE uint32_t dot16(void) {
    uint32_t s = 0, u = 0;
    int i, j = 0;
    for (i = 0; i < NW; i++) {
        s += (uint32_t)((int32_t)swords[i] * swords[NW - 1 - i]);
        u += (uint32_t)words[i] * words[j];
        j += 7;
        if (j >= NW)
            j -= NW;
    }
    return s ^ rotl(u, 11);
}

static NOINLINE uint32_t div16(void) {
    uint32_t acc = 0;
    int i, j = 1;
    for (i = 0; i < NW; i++) {
        uint16_t d = (uint16_t)((words[i] & 0xFF) + 1);
        uint16_t x = words[j];
        int16_t sd = (int16_t)((swords[i] & 0x7F) + 4);
        int16_t q, r;
        acc += (uint16_t)(x / d);
        acc ^= (uint32_t)(uint16_t)(x % d) << 8;
        if (swords[j] & 1)
            sd = (int16_t)-sd;
        q = divs16((int32_t)swords[j] * 3, sd, &r);
        acc += (uint32_t)(int32_t)q;
        acc += (uint32_t)(int32_t)r << 4;
        if (++j == NW)
            j = 0;
    }
    return acc;
}

static NOINLINE void sort_words(uint16_t* a, int n) {
    int i, j;
    for (i = 1; i < n; i++) {
        uint16_t v = a[i];
        for (j = i; j > 0 && a[j - 1] > v; j--)
            a[j] = a[j - 1];
        a[j] = v;
    }
}

static NOINLINE uint32_t sort_phase(void) {
    uint32_t s = 0;
    int i;
    for (i = 0; i < NS; i++)
        sorted[i] = words[i];
    sort_words(sorted, NS);
    for (i = 0; i < NS; i++) {
        if (i > 0 && sorted[i - 1] > sorted[i])
            return 0xDEADu;      /* not sorted */
        s = s * 31 + sorted[i];
    }
    return s;
}

static NOINLINE uint32_t list_phase(void) {
    static const uint8_t strides[4] = { 5, 7, 11, 13 };
    uint32_t start = longs[0] % NN;
    uint32_t stride = strides[longs[1] & 3];
    uint32_t idx, s = 0, count = 0;
    struct node* p;
    int i;
    for (i = 0; i < NN; i++) {
        nodes[i].key = longs[i];
        nodes[i].weight = words[i];
        nodes[i].tag = bytes[i];
    }
    idx = start;
    for (i = 0; i < NN - 1; i++) {
        uint32_t next = idx + stride;
        if (next >= NN)
            next -= NN;
        nodes[idx].next = &nodes[next];
        idx = next;
    }
    nodes[idx].next = 0;
    for (p = &nodes[start]; p; p = p->next) {
        s += p->key ^ p->weight;
        if (p->tag & 1)
            s = rotl(s, 3);
        if ((p->tag & 6) == 6)
            s = wl_trap(s, p->weight);
        count++;
    }
    return s + count;
}

static NOINLINE int text_length(const uint8_t* p) {
    const uint8_t* q = p;
    while (*q)
        q++;
    return (int)(q - p);
}

static NOINLINE uint32_t text_phase(void) {
    uint32_t nwords = 0, vowels = 0, h = 0;
    const uint8_t* p;
    int i, in = 0;
    for (i = 0; i < NB; i++) {
        uint8_t b = bytes[i];
        text[i] = b < 40 ? (uint8_t)' ' : (uint8_t)('a' + b % 26);
    }
    text[NB] = 0;
    for (p = text; *p; p++) {
        switch (*p) {
        case 'a': case 'e': case 'i': case 'o': case 'u':
            vowels++;
            break;
        case ' ':
            if (in)
                nwords++;
            in = 0;
            continue;
        case 'q':
            h += 7;
            break;
        case 'x':
            h ^= 0x55;
            break;
        case 'z':
            h = rotl(h, 1);
            break;
        case 'k': case 'w':
            h -= 3;
            break;
        default:
            break;
        }
        in = 1;
        h = h * 33 + *p;
    }
    return h ^ (nwords << 16) ^ (vowels << 8) ^ (uint32_t)text_length(text);
}

static NOINLINE uint32_t fib(uint32_t n) {
    return n < 2 ? n : fib(n - 1) + fib(n - 2);
}

static NOINLINE uint32_t hash_phase(void) {
    uint32_t h = 2166136261u;
    uint32_t m = longs[2] | 1;   /* not a constant: a real 32-bit multiply */
    int i;
    for (i = 0; i < 32; i++)
        h = (h ^ longs[i]) * m;
    return h;
}

static NOINLINE uint32_t div32_phase(void) {
    uint32_t acc = 0;
    int i;
    for (i = 0; i < 24; i++) {
        uint32_t a = longs[i];
        uint32_t b = (longs[i + 24] >> (longs[i + 48] & 31)) | 1;
        int32_t sa = (int32_t)a;
        int32_t sb = (int32_t)((b >> 1) | 2);
        if (a & 2)
            sb = -sb;
        acc += a / b;
        acc ^= a % b;
        acc += (uint32_t)(sa / sb);
        acc ^= (uint32_t)(sa % sb);
    }
    return acc;
}

static NOINLINE uint32_t matrix_phase(void) {
    uint32_t s = 0;
    int i, j, k;
    for (i = 0; i < MAT; i++)
        for (j = 0; j < MAT; j++) {
            int32_t t = 0;
            for (k = 0; k < MAT; k++)
                t += (int32_t)ma[i][k] * mb[k][j];
            mc[i][j] = t;
        }
    for (i = 0; i < MAT; i++)
        for (j = 0; j < MAT; j++)
            s = rotl(s, 5) ^ (uint32_t)mc[i][j];
    return s;
}

static NOINLINE uint32_t block_phase(void) {
    uint32_t s = 0;
    int i, k;
    for (i = 0; i < NBLK; i++) {
        for (k = 0; k < 12; k++)
            blocks[i].w[k] = longs[i * 12 + k];
        for (k = 0; k < 4; k++)
            blocks[i].h[k] = words[i * 4 + k];
    }
    for (i = 0; i < 3 * NBLK; i++) {
        struct block b = blocks[i & (NBLK - 1)];
        b.w[i % 12] ^= (uint32_t)i * 0x01010101u;
        b.h[i & 3] = (uint16_t)(b.h[i & 3] + b.w[(i + 5) % 12]);
        blocks[(i + 3) & (NBLK - 1)] = b;
    }
    for (i = 0; i < NBLK; i++) {
        for (k = 0; k < 12; k++)
            s += blocks[i].w[k] ^ (uint32_t)k;
        for (k = 0; k < 4; k++)
            s = rotl(s, 7) + blocks[i].h[k];
    }
    return s;
}

static NOINLINE uint32_t op_add(uint32_t a, uint32_t b) { return a + b; }
static NOINLINE uint32_t op_xor(uint32_t a, uint32_t b) { return a ^ (b << 1); }
static NOINLINE uint32_t op_sub(uint32_t a, uint32_t b) { return a - (b >> 2); }
static NOINLINE uint32_t op_rot(uint32_t a, uint32_t b) { return rotl(a, (b & 15) + 1); }

static uint32_t (*const ops[4])(uint32_t, uint32_t) = { op_add, op_xor, op_sub, op_rot };

/* Calls through a table of routines and a dense switch. */
static NOINLINE uint32_t dispatch_phase(void) {
    uint32_t s = 0x12345678u;
    int i;
    for (i = 0; i < NW; i++) {
        uint32_t v = words[i];
        s = ops[v & 3](s, longs[i]);
        switch ((v >> 2) & 7) {
        case 0: s += 1; break;
        case 1: s ^= v; break;
        case 2: s -= v << 3; break;
        case 3: s = ~s; break;
        case 4: s += (uint32_t)bytes[i]; break;
        case 5: s ^= s >> 7; break;
        case 6: s = s + s + 1; break;
        default: s ^= 0x0F0F0F0Fu; break;
        }
    }
    return s;
}

uint32_t wl_round(uint32_t round) {
    uint32_t r;
    fill(round);
    r = sum_bytes(bytes, NB);
    r = wl_trap(r, sum_longs(longs, NL));
    r = wl_trap(r, dot16());
    r = wl_trap(r, div16());
    r = wl_trap(r, sort_phase());
    r = wl_trap(r, list_phase());
    r = wl_trap(r, text_phase());
    r = wl_trap(r, fib(10 + (round & 3)));
    r = wl_trap(r, hash_phase());
    r = wl_trap(r, div32_phase());
    r = wl_trap(r, matrix_phase());
    r = wl_trap(r, block_phase());
    r = wl_trap(r, dispatch_phase());
    return r;
}

uint32_t wl_accumulate(uint32_t acc, uint32_t round_result) {
    return (rotl(acc, 9) ^ round_result) + 0x6D2B79F5u;
}
