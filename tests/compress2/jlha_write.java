// Writes an LHA archive with the library of Debian's jlha-utils, for the methods its archiver
// does not offer (-lh1-):
//   java -cp /usr/share/java/jlha.jar jlha_write.java ARCHIVE METHOD LEVEL:FILE...
// Each FILE becomes a member of METHOD with a header of LEVEL (0, 1 or 2), named as the file.
import java.io.FileOutputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import jp.gr.java_conf.dangan.util.lha.LhaHeader;
import jp.gr.java_conf.dangan.util.lha.LhaOutputStream;

public class JlhaWrite {
    public static void main(String[] args) throws Exception {
        try (LhaOutputStream out = new LhaOutputStream(new FileOutputStream(args[0]))) {
            for (int i = 2; i < args.length; ++i) {
                final int colon = args[i].indexOf(':');
                final Path file = Path.of(args[i].substring(colon + 1));
                final LhaHeader header = new LhaHeader(file.getFileName().toString());
                header.setCompressMethod(args[1]);
                header.setHeaderLevel(Integer.parseInt(args[i].substring(0, colon)));
                out.putNextEntry(header);
                out.write(Files.readAllBytes(file));
                out.closeEntry();
            }
        }
    }
}
