' The sieve of Eratosthenes: every prime below 500, and how many there are.
_TITLE "tqc example: primes"
CONST LIMIT = 500
DIM SHARED Composite(LIMIT) AS INTEGER

COLOR 15
PRINT "Primes below"; LIMIT
PRINT
COLOR 7
Found% = 0
FOR N = 2 TO LIMIT - 1
    IF Composite(N) = 0 THEN
        PRINT N;
        Found% = Found% + 1
        CrossOut N
    END IF
NEXT
PRINT
PRINT
COLOR 14
PRINT "There are"; Found%; "of them."
COLOR 7
END

' Every multiple of P is not a prime.
SUB CrossOut (P)
    FOR M = P * P TO LIMIT STEP P
        Composite(M) = -1
    NEXT
END SUB
