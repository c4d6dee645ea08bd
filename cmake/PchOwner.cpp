// The owner of a precompiled header the targets of the suite share.
int main() { return 0; }
