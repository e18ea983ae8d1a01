' The numeric loop of bench_tqc_loop: a damped spring stepped a million times in single
' precision, and a checksum in LONG integers. The results go to the first row of the screen.
CLS
X! = 1: V! = 0
FOR I& = 1 TO 1000000
    A! = -0.25 * X! - 0.01 * V!
    V! = V! + A! * 0.01
    X! = X! + V! * 0.01
    S& = (S& + I& * 3) MOD 65521
NEXT
PRINT CLNG(X! * 100000); S&
END
