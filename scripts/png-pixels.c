/* Prints the decoded pixels of a PNG as one line of text: its size, colour
 * type, bit depth and an FNV-1a digest of every sample, so that two PNGs with
 * the same picture but different compression compare equal. Built on the fly
 * by compare-builds.sh. */
#include <png.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: png-pixels FILE\n");
        return 2;
    }
    FILE* file = fopen(argv[1], "rb");
    if (file == NULL) {
        printf("unreadable\n");
        return 1;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        printf("damaged\n");
        return 1;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    png_bytep row = malloc(rowBytes ? rowBytes : 1);
    uint64_t digest = 1469598103934665603ULL;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, row, NULL);
        for (size_t i = 0; i < rowBytes; ++i) {
            digest ^= row[i];
            digest *= 1099511628211ULL;
        }
    }
    png_read_end(png, NULL);
    printf("%ux%u type %d depth %d pixels %016llx\n", (unsigned)width, (unsigned)height, png_get_color_type(png, info),
           png_get_bit_depth(png, info), (unsigned long long)digest);
    free(row);
    png_destroy_read_struct(&png, &info, NULL);
    fclose(file);
    return 0;
}
