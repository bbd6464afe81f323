#include <cstdio>
int main() { std::puts("zovpack"); return 0; }
