package orvelarun.probe;

/** A client for the launcher tests: reports how main was called. */
public final class NullArgsClient {
    public static void main(String[] args) {
        System.out.println(args == null ? "main received a null argument array" : "main received " + args.length);
    }
}
