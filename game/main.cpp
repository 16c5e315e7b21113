// Program entry; replaced by the application start-up.
int main() { return 0; }
