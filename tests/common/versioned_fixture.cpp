// A program that does nothing; it exists for the version resource it carries.
int wmain()
{
    return 0;
}
