// trwk_encrypt INPUT OUTPUT: encrypts a plain data file into the program's encrypted format.
#include "stream_encrypt.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: trwk_encrypt INPUT OUTPUT\n";
        return 2;
    }
    try {
        gf_streamEncrypt(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "trwk_encrypt: " << e.what() << '\n';
        std::error_code ec;
        std::filesystem::remove(argv[2], ec);
        return 1;
    }
    return 0;
}
