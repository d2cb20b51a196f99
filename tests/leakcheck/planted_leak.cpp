// Leaks on purpose: in the sanitizer build the leak check must report it
// (CTest entry leak_check_finds_planted_leak), as it would a leak of ours in
// any test that starts no user interface.
#include <cstdio>

int main()
{
    int *volatile kept = new int[4];
    kept = nullptr;
    std::puts(kept ? "kept" : "dropped");
    return 0;
}
