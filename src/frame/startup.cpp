// Start-up of the emulated machine: everything the process entry prepares before it opens the
// window and starts the runtime's threads.
#include <string>

#include "frame/frame_internal.h"
#include "libtq.h"
#include "platform/platform.h"
#include "screen/screen_internal.h"

const char *command_line_text = "";
int func_command_count = 0;
char **func_command_array = nullptr;

list *special_handles = nullptr;
list *stream_handles = nullptr;
list *connection_handles = nullptr;
list *hardware_img_handles = nullptr;
list *hardware_graphics_command_handles = nullptr;

namespace {
std::string command_line_storage;
bool prepared = false;

// The working directory becomes the executable's folder. Scanning the path backwards, a colon
// keeps itself (C:prog.exe runs in C:) and a slash or backslash is cut (C:\dir\prog.exe runs in
// C:\dir). A name with no separator is used whole.
void enter_executable_folder() {
    std::string path = plat::executable_path();
    if (path.empty()) return;
    for (size_t i = path.size(); i-- > 0;) {
        char c = path[i];
        if (c == ':') {
            path.resize(i + 1);
            break;
        }
        if (c == '\\' || c == '/') {
            path.resize(i);
            break;
        }
    }
    if (path.empty()) path.push_back('/');
    plat::change_directory(path);
}
} // namespace

void command_initialize(int argc, char **argv) {
    command_line_storage.clear();
    for (int i = 1; i < argc; i++) {
        if (i > 1) command_line_storage += ' ';
        command_line_storage += argv[i] ? argv[i] : "";
    }
    command_line_text = command_line_storage.c_str();
    func_command_count = argc;
    func_command_array = argv;
}

void libtq_prepare(int argc, char **argv) {
    if (prepared) return;
    prepared = true;
    clock_init();
    libtq_log_init();
    libtq_log_info("Program starting.");

    // The machine's handle lists, made at start-up whether or not a program uses them: files,
    // streams and connections are periphery this runtime does not carry, and only the presenter's
    // texture-backed images fill a list.
    special_handles = list_new(8);
    stream_handles = list_new(24);
    connection_handles = list_new(20);
    hardware_img_handles = list_new_threadsafe(72);
    hardware_graphics_command_handles = list_new(112);

    screen_init_fonts();
    screen_init_images();

    mem_static_init(1048576);
    cmem_init();
    // The string records, lists and heap, then the two permanent strings in the data segment,
    // whose descriptors go right below the runtime's 8 bytes.
    tqs_strings_init();
    tqs_strings_init_constants();

    enter_executable_folder();
    command_initialize(argc, argv);
    keyboard_init();

    screen_init_palettes();
    screen_init_glyphs();
    tqg_screen(0, 0, 0, 0, 0, 1); // the 80 x 25 text screen
    width8050switch = 1;
}
