// Program entry. Until the shell lands this only proves that the program builds
// and starts.
#include <cstdio>

int main() {
  std::puts("Kelvanthrop: the game shell is not built yet.");
  return 0;
}
