#include "QuillonV20Program.h"

#include "rt_ui.h"

int main(int argc, char **argv)
{
    return CloseRuntime(WinMain(argc, argv));
}
