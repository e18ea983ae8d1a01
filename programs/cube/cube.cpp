// The demo's compiled main module: a wireframe cube turning on the 640 x 480, 16-colour screen.
//
// This is the program as the compiler produces it: one function, every variable taken from the
// static pool, every array reached through its descriptor with its subscript checked, and after
// every statement the statement frame with the statement's source line, which reports runtime
// errors with that line number. Left alone it draws the next position of the cube once a second;
// Shift, Ctrl or Alt alone draw it at once; any key that types something ends it.
#include <cmath>
#include <cstring>

#include "libtq.h"

namespace {

// The program's DATA: the corners of the cube, then its edges as pairs of corner numbers.
const char program_data[] =
    "-1,-1,-1,1,-1,-1,1,1,-1,-1,1,-1,-1,-1,1,1,-1,1,1,1,1,-1,1,1,1,2,2,3,3,4,4,1,5,6,6,7,7,8,8,5,1,"
    "5,2,6,3,7,4,8,";
constexpr uint32_t program_data_size = sizeof program_data - 1; // 108 bytes
uint32_t data_offset = 0;

constexpr uint32_t SINGLE_TYPE = 0x28C00020; // READ target: a 32-bit floating-point number

using single_array = array_descriptor<1>;

// A one-dimensional SINGLE array 0 TO upper, static, with its lifetime record.
single_array *dim_single(int32_t upper) {
    auto *a = static_cast<single_array *>(mem_static_malloc(sizeof(single_array)));
    *a = single_array{};
    const int32_t count = upper + 1;
    a->data = mem_static_malloc(static_cast<uptrszint>(count) * 4);
    std::memset(a->data, 0, static_cast<size_t>(count) * 4);
    a->flags = ARRAY_FLAG_ALLOCATED | ARRAY_FLAG_STATIC;
    a->dim[0] = array_dimension{0, count, 1, 0};
    a->lock = new_mem_lock();
    a->lock->type = 4;
    return a;
}

// The element a SINGLE subscript names: rounded to the nearest integer (ties to even), then
// checked against the bounds. A bad subscript raises error 9 and names element 0.
float &element(single_array *a, float subscript) {
    const ptrszint index = array_check(static_cast<uint32_t>(round_to_int64(static_cast<long double>(subscript))) -
                                           static_cast<uint32_t>(a->dim[0].lbound),
                                       static_cast<uptrszint>(a->dim[0].count));
    return static_cast<float *>(a->data)[index];
}

// Runs a statement, then its statement frame; a retry asked for by the frame runs it again.
template <typename Work> void statement(uint32_t line, Work &&work) {
    do work();
    while (tq_statement_frame(line));
}

// READ into an array element: the subscript first, then the value unless an error is pending.
void read_into(single_array *a, float subscript) {
    float &target = element(a, subscript);
    if (new_error) return;
    // A failed read gives 0, which is stored like any value.
    target = static_cast<float>(
        func_read_float(reinterpret_cast<const uint8_t *>(program_data), &data_offset, program_data_size, SINGLE_TYPE));
}

} // namespace

void TQMAIN(void *) {
    libtq_set_fpu_control_word(0x037F);
    libtq_install_division_handler(division_by_zero_handler);
    const ptrszint base = tqs_tmp_list_nexti;

    mem_lock *scope = new_mem_lock();
    scope->type = 3;
    single_array *VX = dim_single(8), *VY = dim_single(8), *VZ = dim_single(8);
    single_array *SXP = dim_single(8), *SYP = dim_single(8);
    auto *I = static_cast<float *>(mem_static_malloc(4));
    single_array *E1 = dim_single(12), *E2 = dim_single(12);
    auto *scalars = static_cast<float *>(mem_static_malloc(2 * 4));
    float &ANGLEX = scalars[0], &ANGLEY = scalars[1];
    auto *FRAME = static_cast<int32_t *>(mem_static_malloc(4));
    auto *more = static_cast<float *>(mem_static_malloc(10 * 4));
    std::memset(scalars, 0, 2 * 4);
    std::memset(more, 0, 10 * 4);
    *I = 0;
    *FRAME = 0;
    float &CX = more[0], &SX = more[1], &CY = more[2], &SY = more[3];
    float &Y1 = more[4], &Z1 = more[5], &X2 = more[6], &Z2 = more[7];
    float &DISTANCE = more[8], &SCALE = more[9];
    single_array *OXP = dim_single(10), *OYP = dim_single(10);
    libtq_log_info("ZORV code starting.");

    // A FOR loop with step 1: the counter is kept as a double, stored into I as a SINGLE, and the
    // loop is left once it passes the end.
    auto for_loop = [&](uint32_t line, double start, double finish, auto &&body) {
        double value = start;
        *I = static_cast<float>(value);
        if (value > finish) return;
        tq_statement_frame(line);
        for (;;) {
            body();
            value = 1.0 + static_cast<double>(*I);
            *I = static_cast<float>(value);
            if (value > finish) return;
        }
    };

    statement(1, [&] { tqg_screen(12, 0, 0, 0, 0, 1); });
    statement(3, [&] {
        sub__title(tqs_new_txt_len("Spinavorte - (C) dzm/TeKoN^ZT^JW 2025", 37));
        tqs_release_tmp(base, 0);
    });
    statement(6, [] {});
    statement(7, [] {});
    for_loop(12, 1, 8, [&] {
        statement(13, [&] {
            read_into(VX, *I);
            if (!new_error) read_into(VY, *I);
            if (!new_error) read_into(VZ, *I);
        });
    });
    statement(17, [] {});
    for_loop(22, 1, 12, [&] {
        statement(23, [&] {
            read_into(E1, *I);
            if (!new_error) read_into(E2, *I);
        });
    });
    statement(26, [&] { ANGLEX = 0; });
    statement(27, [&] { ANGLEY = 0; });
    statement(28, [&] { *FRAME = 0; });

    // Prints one text item through the statement's string variable, as PRINT does.
    auto print_item = [&](tqs *local, tqs *value) {
        tqs_set(local, value);
        if (new_error) return false;
        makefit(local);
        tqs_print(local, 0);
        return !new_error;
    };
    auto print_line = [&](uint32_t line, const char *text, int32_t length) {
        statement(line, [&] {
            tqs *local = tqs_new(0, 0);
            if (print_item(local, tqs_new_txt_len(text, length))) tqs_print(nothingstring, 1);
            tqs_free(local);
            tqs_release_tmp(base, 0);
        });
    };
    auto locate = [&](uint32_t line, int32_t row, int32_t column) {
        statement(line, [&] { tqg_sub_locate(row, column, 0, 0, 0, 3); });
    };
    auto color = [&](uint32_t line, uint32_t colour) { statement(line, [&] { tqg_sub_color(colour, 0, 0, 1); }); };

    for (;;) {
        statement(31, [] {});
        statement(32, [&] { tqg_screen(12, 0, 0, 0, 0, 1); });
        statement(35, [&] { *FRAME = static_cast<int32_t>(static_cast<uint32_t>(*FRAME) + 1u); });
        statement(38, [&] { ANGLEX = ANGLEX + 3.0f; });
        statement(39, [&] { ANGLEY = ANGLEY + 5.0f; });
        statement(41, [&] { CX = cosf(ANGLEX); });
        statement(42, [&] { SX = sinf(ANGLEX); });
        statement(43, [&] { CY = cosf(ANGLEY); });
        statement(44, [&] { SY = cosf(ANGLEY); });
        statement(47, [&] { CX = cosf(ANGLEX); });
        statement(47, [&] { SX = sinf(ANGLEX); });
        statement(48, [&] { CY = cosf(ANGLEY); });
        statement(48, [&] { SY = sinf(ANGLEY); });
        for_loop(51, 1, 8, [&] {
            statement(53, [&] { Y1 = element(VY, *I) * CX - element(VZ, *I) * SX; });
            statement(54, [&] { Z1 = element(VY, *I) * SX + element(VZ, *I) * CX; });
            statement(57, [&] { X2 = element(VX, *I) * CY + Z1 * SY; });
            statement(58, [&] { Z2 = -element(VX, *I) * SY + Z1 * CY; });
            statement(61, [&] { DISTANCE = 3; });
            statement(62, [&] { SCALE = 200.0f / (Z2 + DISTANCE); });
            statement(64, [&] {
                float &target = element(SXP, *I);
                if (!new_error) target = X2 * SCALE + 320.0f;
            });
            statement(65, [&] {
                float &target = element(SYP, *I);
                if (!new_error) target = Y1 * SCALE + 240.0f;
            });
        });
        // The previous wireframe in black, then the new one in white.
        for_loop(69, 1, 12, [&] {
            statement(70, [&] {
                const float a = element(E1, *I), b = element(E2, *I);
                sub_line(element(OXP, a), element(OYP, a), element(OXP, b), element(OYP, b), 0, 0, 0, 9);
            });
        });
        for_loop(74, 1, 12, [&] {
            statement(75, [&] {
                const float a = element(E1, *I), b = element(E2, *I);
                sub_line(element(SXP, a), element(SYP, a), element(SXP, b), element(SYP, b), 15, 0, 0, 9);
            });
        });
        for_loop(79, 1, 8, [&] {
            statement(80, [&] {
                const float value = element(SXP, *I);
                float &target = element(OXP, *I);
                if (!new_error) target = value;
            });
            statement(81, [&] {
                const float value = element(SYP, *I);
                float &target = element(OYP, *I);
                if (!new_error) target = value;
            });
        });
        locate(85, 2, 2);
        color(86, 11);
        statement(87, [&] {
            tqs *local = tqs_new(0, 0);
            if (print_item(local, tqs_new_txt_len("Frames Drawn:", 13)) &&
                print_item(local, tqs_add(tqs_str(*FRAME), tqs_new_txt_len(" ", 1))) &&
                print_item(local, tqs_new_txt_len("      ", 6)))
                tqs_print(nothingstring, 1);
            tqs_free(local);
            tqs_release_tmp(base, 0);
        });
        locate(88, 25, 4);
        color(89, 8);
        print_line(90, "if you do nothing, the program will", 35);
        locate(91, 26, 4);
        color(92, 8);
        print_line(93, "redraw the cube once every second.", 34);
        locate(94, 28, 4);
        color(95, 9);
        print_line(96, "Shift=Click", 11);
        locate(97, 28, 20);
        color(98, 4);
        print_line(99, "Other=Exit", 10);
        locate(100, 2, 35);
        color(101, 15);
        print_line(102, "coded by dzm/TeKoN^ZT^JW with Trellicode 4.5.", 45);
        locate(103, 3, 31);
        color(104, 15);
        print_line(105, "made for the combined demo compo at Palmora 2025.", 49);
        locate(106, 25, 60);
        statement(109, [&] { sub_sleep(1, 1); });
        // LOOP UNTIL INKEY$ <> "": the frame's check runs only when the loop is left, and a retry
        // evaluates the test again.
        bool leave;
        do {
            leave = tqs_release_tmp(base, tqs_notequal(tqs_inkey(), tqs_new_txt_len("", 0))) || new_error;
        } while (leave && tq_statement_frame(111));
        if (leave) break;
    }
    sub_end();
}
