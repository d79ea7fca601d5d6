#include "app/GifApp.h"

int main(int argc, char** argv)
{
    return RunGifAnimator(argc, argv);
}
