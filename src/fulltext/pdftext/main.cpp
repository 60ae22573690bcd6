// hibari-pdftext: reads one PDF with Poppler for the program, in a process of its own,
// so that a document that crashes or hangs the PDF library never takes the program
// down. Written to standard output, every part framed by its length:
//
//   hibari-pdftext text FILE [PART PARTS]
//     "HIBARI-PDFTEXT 1\n", then for each page "P <bytes>\n" and that many bytes of
//     UTF-8 text, then "E <pages>\n". With PART and PARTS, only the pages whose
//     0-based number leaves PART when divided by PARTS are read; the others are empty,
//     so that several helpers can share one document.
//   hibari-pdftext page FILE PAGE DPI
//     "HIBARI-PDFTEXT 1\n", "S <width> <height>\n" (the page in points),
//     "I <width> <height> <stride> <bytes>\n" and the page rendered as 32-bit ARGB,
//     then for each character "C <x> <y> <w> <h> <bytes>\n" and its UTF-8 text (its
//     box in points from the top left), "E <characters>\n".
// Exit status 0 on success; anything else, or output cut short, is a failure.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

namespace {

void quiet(const std::string &, void *) {}

void put(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string utf8(const poppler::ustring &text)
{
    const poppler::byte_array bytes = text.to_utf8();
    std::string out(bytes.begin(), bytes.end());
    // Inside a frame any byte would do, but no NUL or control characters leave here.
    for (char &c : out) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n')
            c = ' ';
    }
    return out;
}

// The page's text in reading order, as Poppler lays it out: a space between words,
// a line break between lines. (Its word list with every character's box costs more.)
std::string pageText(const poppler::page &page)
{
    return utf8(page.text(poppler::rectf(), poppler::page::non_raw_non_physical_layout));
}

int text(poppler::document &document, int part, int parts)
{
    if (parts < 1 || parts > 64 || part < 0 || part >= parts)
        return 3;
    put("HIBARI-PDFTEXT 1\n");
    const int pages = document.pages();
    for (int i = 0; i < pages; ++i) {
        std::unique_ptr<poppler::page> page(i % parts == part ? document.create_page(i) : nullptr);
        const std::string body = page ? pageText(*page) : std::string();
        put("P " + std::to_string(body.size()) + "\n");
        put(body);
    }
    put("E " + std::to_string(pages) + "\n");
    return 0;
}

int render(poppler::document &document, int number, double dpi)
{
    if (number < 0 || number >= document.pages() || !(dpi >= 18 && dpi <= 600))
        return 3;
    std::unique_ptr<poppler::page> page(document.create_page(number));
    if (!page)
        return 3;
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    renderer.set_image_format(poppler::image::format_argb32);
    const poppler::image image = renderer.render_page(page.get(), dpi, dpi);
    if (!image.is_valid())
        return 3;
    put("HIBARI-PDFTEXT 1\n");
    const poppler::rectf size = page->page_rect(poppler::media_box);
    put("S " + std::to_string(size.width()) + " " + std::to_string(size.height()) + "\n");
    const size_t bytes = size_t(image.bytes_per_row()) * size_t(image.height());
    put("I " + std::to_string(image.width()) + " " + std::to_string(image.height()) + " "
        + std::to_string(image.bytes_per_row()) + " " + std::to_string(bytes) + "\n");
    std::fwrite(image.const_data(), 1, bytes, stdout);
    size_t count = 0;
    for (const poppler::text_box &box : page->text_list()) {
        const poppler::ustring word = box.text();
        for (size_t i = 0; i < word.size(); ++i) {
            const poppler::rectf r = box.char_bbox(i);
            const std::string c = utf8(poppler::ustring(1, word[i]));
            put("C " + std::to_string(r.x()) + " " + std::to_string(r.y()) + " " + std::to_string(r.width()) + " "
                + std::to_string(r.height()) + " " + std::to_string(c.size()) + "\n");
            put(c);
            ++count;
        }
        put("C 0 0 0 0 1\n "); // the break between words
        ++count;
    }
    put("E " + std::to_string(count) + "\n");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    poppler::set_debug_error_function(quiet, nullptr);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!((mode == "text" && (argc == 3 || argc == 5)) || (mode == "page" && argc == 5))) {
        std::fputs("usage: hibari-pdftext text FILE [PART PARTS] | page FILE PAGE DPI\n", stderr);
        return 2;
    }
    std::unique_ptr<poppler::document> document(poppler::document::load_from_file(argv[2]));
    if (!document || document->is_locked())
        return 3;
    const int status = mode == "text"
                           ? text(*document, argc == 5 ? std::atoi(argv[3]) : 0, argc == 5 ? std::atoi(argv[4]) : 1)
                           : render(*document, std::atoi(argv[3]), std::atof(argv[4]));
    return std::fflush(stdout) == 0 ? status : 4;
}
