#!/usr/bin/env python3
"""Correctly rounded results of the FE-calls' transcendental functions, by
mpmath at high precision, for the cases below. Writes the C++ table that
fe_transcendental_test.cpp includes:

    fe_oracle.py > tests/firmware/data/fe_oracle_cases.inc
    fe_oracle.py --check tests/firmware/data/fe_oracle_cases.inc

Each row: function, float or double, operand a, operand b, the result.
"""
import struct
import sys

import mpmath
from mpmath import mp, mpf

mp.prec = 3000  # enough for the argument reduction of sin(1e300)

# (function, operands): the operands are the double or float nearest the text.
CASES = [
    ("sin", ["0.5", "1", "-2.5", "3.141592653589793", "1e-5", "100", "1e6", "1e22", "1e300", "-7.25e10"]),
    ("cos", ["0.5", "1", "-2.5", "1.5707963267948966", "1e-5", "100", "1e6", "1e22", "1e300"]),
    ("tan", ["0.5", "1", "-2.5", "1.5707963267948966", "1e-5", "100", "1e6", "1e22"]),
    ("atan", ["0.5", "1", "-2.5", "1e-5", "100", "1e10", "-1e300"]),
    ("log", ["0.5", "2", "10", "1.0000001", "1e-300", "1e300", "123456.789"]),
    ("exp", ["0.5", "1", "-2.5", "1e-5", "100", "-700", "709.5"]),
    ("sqrt", ["2", "3", "0.5", "1e-300", "1e300", "123456.789"]),
    ("pow", [("2", "0.5"), ("10", "-3"), ("1.5", "100"), ("0.3", "7.7"), ("123.4", "-12.5")]),
]
# Float cases use the same texts where the value fits a float.
FLOAT_LIMIT = 3.4e38


def nearest_double(text):
    return float(text)


def nearest_float(text):
    return struct.unpack("<f", struct.pack("<f", float(text)))[0]


def double_bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def float_bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def exact(fn, a, b):
    f = {"sin": mpmath.sin, "cos": mpmath.cos, "tan": mpmath.tan, "atan": mpmath.atan,
         "log": mpmath.log, "exp": mpmath.exp, "sqrt": mpmath.sqrt}
    if fn == "pow":
        return mpmath.power(mpf(a), mpf(b))
    return f[fn](mpf(a))


def rounded(value, bits):
    """value rounded to nearest with a significand of the given bits."""
    with mpmath.workprec(bits):
        r = +value
    return float(r)  # exact: r has at most 53 bits and lies in range


def rows():
    out = []
    for fn, operands in CASES:
        for op in operands:
            a_text, b_text = op if isinstance(op, tuple) else (op, "0")
            a, b = nearest_double(a_text), nearest_double(b_text)
            out.append((fn, "FE_DOUBLE", double_bits(a), double_bits(b), double_bits(rounded(exact(fn, a, b), 53))))
            if abs(a) < FLOAT_LIMIT and abs(b) < FLOAT_LIMIT:
                fa, fb = nearest_float(a_text), nearest_float(b_text)
                r = rounded(exact(fn, fa, fb), 24)
                if abs(r) < FLOAT_LIMIT and (r == 0 or abs(r) > 1.2e-38):
                    out.append((fn, "FE_FLOAT", float_bits(fa), float_bits(fb), float_bits(r)))
    return out


def table():
    lines = ["// Written by tests/firmware/fe_oracle.py (mpmath %s); do not edit." % mpmath.__version__,
             "// function, format, a, b, correctly rounded result (bits)"]
    for fn, fmt, a, b, r in rows():
        lines.append('{"%s", %s, 0x%XULL, 0x%XULL, 0x%XULL},' % (fn, fmt, a, b, r))
    return "\n".join(lines) + "\n"


def main():
    text = table()
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        with open(sys.argv[2]) as f:
            old = f.read()
        # The version line may differ.
        if old.split("\n", 1)[1] != text.split("\n", 1)[1]:
            sys.stderr.write("%s is not what fe_oracle.py writes\n" % sys.argv[2])
            return 1
        return 0
    sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
